/* Exports for the run-time loading tests. */
int zynTestAnswer(void)
{
    return 42;
}

int zynTestAdd(int a, int b)
{
    return a + b;
}
