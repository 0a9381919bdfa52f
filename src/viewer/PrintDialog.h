#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <deque>

class QPrinter;
class QWidget;

// The standard print dialog behind a replaceable service, as the message boxes are, so that
// tests print to a PDF file without any dialog.
namespace printing {

class PrintDialogService
{
public:
    virtual ~PrintDialogService() = default;
    // Lets the user choose and set up the printer; false when printing was cancelled.
    virtual bool exec(QPrinter& printer, QWidget* parent) = 0;
};

// The print dialog for a printer that the caller has preset (paper, orientation, name):
// no selection, no page range; the PDF printer is offered beside the system's printers.
bool runPrintDialog(QPrinter& printer, QWidget* parent = nullptr);

// Replaces the dialog (tests); nullptr restores the real one. The caller keeps ownership.
void setPrintDialogService(PrintDialogService* service);

// Test double: every accepted dialog makes the printer write a PDF file at `resolution`.
// It answers from a script (accept when it runs dry) and notes the printer's preset.
class PdfPrintDialog : public PrintDialogService
{
public:
    explicit PdfPrintDialog(const QString& outputFile, int resolution = 300);
    ~PdfPrintDialog() override;

    bool exec(QPrinter& printer, QWidget* parent) override;

    QString outputFile;
    int resolution;
    // Margins of the page in millimetres: a real printer cannot print to the sheet's edge.
    QMarginsF margins;
    std::deque<bool> answers;
    int calls = 0;
    QPageSize presetPageSize;
    QPageLayout::Orientation presetOrientation = QPageLayout::Portrait;
    QString presetDocName;
};

} // namespace printing
