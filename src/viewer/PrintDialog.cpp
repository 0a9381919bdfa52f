#include "viewer/PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

#include <atomic>

namespace printing {

namespace {

std::atomic<PrintDialogService*> g_service{nullptr};

} // namespace

bool runPrintDialog(QPrinter& printer, QWidget* parent)
{
    if (PrintDialogService* service = g_service.load())
        return service->exec(printer, parent);
    QPrintDialog dialog(&printer, parent);
    // One page of one frame: nothing to select or number; copies and collation stay with the
    // printer's own settings, and no file of the printer's own language is offered.
    QAbstractPrintDialog::PrintDialogOptions options
        = QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
#ifndef Q_OS_WIN
    // Qt's own dialog makes of this option the PDF printer that a desktop offers beside the
    // real ones (as Windows has its PDF printer), on a machine without a printer the only way
    // to print at all.
    options |= QAbstractPrintDialog::PrintToFile;
#endif
    dialog.setOptions(options);
    return dialog.exec() == QDialog::Accepted;
}

void setPrintDialogService(PrintDialogService* service)
{
    g_service.store(service);
}

PdfPrintDialog::PdfPrintDialog(const QString& outputFile, int resolution)
    : outputFile(outputFile)
    , resolution(resolution)
{
    setPrintDialogService(this);
}

PdfPrintDialog::~PdfPrintDialog()
{
    setPrintDialogService(nullptr);
}

bool PdfPrintDialog::exec(QPrinter& printer, QWidget*)
{
    ++calls;
    presetPageSize = printer.pageLayout().pageSize();
    presetOrientation = printer.pageLayout().orientation();
    presetDocName = printer.docName();
    const bool accept = answers.empty() || answers.front();
    if (!answers.empty())
        answers.pop_front();
    if (!accept)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(outputFile);
    printer.setResolution(resolution);
    printer.setPageMargins(margins, QPageLayout::Millimeter);
    return true;
}

} // namespace printing
