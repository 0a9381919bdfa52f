// What ThreadSanitizer cannot see in the player tests, read by its runtime at start-up (the
// function is ignored in builds without it). Only the libraries' own hand-overs are listed:
// every report that names a frame of ours outside a posted call still fails the run.
extern "C" const char* __tsan_default_suppressions()
{
    return
        // FFmpeg's frame threads hand frames over with atomics in code built without the
        // sanitizer, so its buffers look unsynchronised.
        "race:libavcodec.so\n"
        "race:libavutil.so\n"
        "called_from_lib:libavcodec.so\n"
        // Two players' subtitle renderers load fonts at once; fontconfig guards its font
        // cache with its own atomics, so the strings it shares look unsynchronised.
        "race:libfontconfig.so\n"
        // Qt, built without the sanitizer, passes a queued call from the posting thread to the
        // GUI thread under its own futex lock; the call object, made by the poster, looks
        // unsynchronised when the GUI thread reads and frees it.
        "race:QtPrivate::QFunctorSlotObject\n"
        "race:QMetaObject::invokeMethodImpl\n"
        // The same hand-over as GCC's runtime names it: the player library posts through one
        // function.
        "race:postToGui\n"
        // A message posted to a window is made on the player's thread and read by the window's
        // event() on the GUI thread before anything of ours can mark the hand-over.
        "race:platform::notifyMessage\n"
        "race:platform::sendMessage\n";
}
