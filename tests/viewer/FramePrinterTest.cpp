// The printed page: its layout on printers of any resolution and proportion, the text read back
// from a PDF printed through the (replaced) print dialog, the frame's place on the sheet, and
// printing before the player has shown a frame.
#include "viewer/FramePrinter.h"

#include "player/PVEXAdap.h"
#include "resources/Language.h"
#include "viewer/FrameGrabber.h"
#include "viewer/PrintDialog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

namespace {

constexpr const char* kExample
    = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The page's text lines, blanks squeezed (the extractor guesses spaces from glyph gaps).
QStringList pdfLines(const QString& pdf)
{
    QStringList lines;
    for (QString line : run("pdftotext", {"-layout", pdf, "-"}).split(u'\n')) {
        line = line.simplified();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// The page as a picture; with ZYN_SHOT_DIR set, the PDF and the picture are kept there too.
QImage pdfPicture(const QString& pdf, const QString& folder, int dpi, const char* name)
{
    const QString stem = folder + "/page";
    run("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", pdf, stem});
    const QString shots = qEnvironmentVariable("ZYN_SHOT_DIR");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        QFile::remove(shots + "/" + name + ".pdf");
        QFile::copy(pdf, shots + "/" + name + ".pdf");
        QImage(stem + ".png").save(shots + "/" + name + ".png");
    }
    return QImage(stem + ".png");
}

// The bounding box of the pixels close to a colour.
QRect boxOf(const QImage& image, QColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40
                && std::abs(c.blue() - colour.blue()) < 40)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The computer's zone for one test: UTC+3 throughout the year.
class FixedZone
{
public:
    FixedZone()
        : m_old(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", "UTC-3");
        tzset();
    }
    ~FixedZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

class FramePrinterTest : public ::testing::Test
{
protected:
    QString pdf() const { return m_folder.filePath("page.pdf"); }

    static QImage solidFrame(QColor colour)
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(colour);
        return frame;
    }

    QTemporaryDir m_folder;
};

TEST(FramePrinterLayout, A4At300DotsPerInchIsTheDesignedPage)
{
    const auto page = FramePrinter::layout({3507, 2480}, 300);
    EXPECT_DOUBLE_EQ(page.xs, 1);
    EXPECT_DOUBLE_EQ(page.ys, 1);
    EXPECT_EQ(page.frame, QRect(793, 520, 1920, 1440));
    EXPECT_EQ(page.dateLine, QPoint(793, 100));
    EXPECT_EQ(page.positionLine, QPoint(793, 220));
    EXPECT_EQ(page.speedLine, QPoint(793, 340));
    EXPECT_EQ(page.sensorLine, QPoint(793, 2010));
    // 50 points as a 96 dpi screen shows them: 66 pixels, about 16 points on paper.
    EXPECT_EQ(page.fontPixels, 66);
    EXPECT_NEAR(page.fontPoints, 15.84, 1e-9);

    const auto fine = FramePrinter::layout({7014, 4960}, 600);
    EXPECT_EQ(fine.frame, QRect(1587, 1040, 3840, 2880));
    EXPECT_EQ(fine.fontPixels, 133);
    EXPECT_NEAR(fine.fontPoints, page.fontPoints, 0.2) << "the same size on paper";
}

TEST(FramePrinterLayout, LinesNeverOverlapWhateverThePaper)
{
    // Printable areas of A4, Letter, Legal and A5 landscape and an A4 page with wide margins,
    // at several resolutions.
    const QSize areas[] = {{3507, 2480}, {3300, 2550}, {4200, 2550}, {2480, 1748}, {3271, 2244},
        {1169, 827}, {6600, 5100}};
    for (QSize area : areas) {
        const auto page = FramePrinter::layout(area, 300);
        const int line = int(std::ceil(page.fontPixels * 1.25));
        const int tops[]
            = {page.dateLine.y(), page.positionLine.y(), page.speedLine.y(), page.frame.top()};
        for (int i = 0; i + 1 < 4; ++i)
            EXPECT_GE(tops[i + 1] - tops[i], line) << area.width() << "x" << area.height();
        EXPECT_GE(page.dateLine.y(), 0);
        EXPECT_LE(page.sensorLine.y() + line, area.height());
        EXPECT_NEAR(page.frame.left() * 2 + page.frame.width(), area.width(), 1) << "centred";
    }
}

TEST(FramePrinterLines, TextLinesOfTheCurrentSentenceAndSample)
{
    FixedZone zone;
    const FramePrinter printer(QImage(), kExample, GSensorGraph::Sample{0.5, -0.25, 1}, 0);
    const QStringList lines = printer.lines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Дата и время: 2094/03/23  15:35:19"));
    EXPECT_EQ(
        lines[1], QStringLiteral("Положение Широта: 048° 07' 2.28\"   Долгота: 011° 31' 0.00\""));
    EXPECT_EQ(lines[2], QStringLiteral("Скорость: 41.5 км/ч"));
    EXPECT_EQ(lines[3], QStringLiteral("GSensor X: 0.500     Y: -0.250     Z: 1.000"));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(FramePrinter(QImage(), kExample, GSensorGraph::Sample{0, 0, 8.5}, 0).lines()[3], "");
    EXPECT_EQ(FramePrinter(QImage(), kExample, GSensorGraph::Sample{nan, 0, 0}, 0).lines()[3], "");
    EXPECT_EQ(FramePrinter(QImage(), kExample, std::nullopt, 2).lines()[3], "");
    EXPECT_EQ(FramePrinter(QImage(), kExample, std::nullopt, 2).lines()[2],
        QStringLiteral("Скорость: 22.4d узлы"));

    // Not a position sentence: an empty record, and the dashes of a missing date.
    const QStringList other = FramePrinter(QImage(),
        "$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", std::nullopt, 0)
                                  .lines();
    EXPECT_EQ(other[0], QStringLiteral("Дата и время: ----/--/--  --:--:--"));
    EXPECT_EQ(
        other[1], QStringLiteral("Положение Широта: 000° 00' 0.00\"   Долгота: 000° 00' 0.00\""));
    EXPECT_EQ(other[2], QStringLiteral("Скорость: 0.0 км/ч"));

    // In English the words change; the numbers and their formats do not.
    ASSERT_TRUE(strings::setLanguage(strings::Language::English));
    const QStringList english = printer.lines();
    strings::setLanguage(strings::Language::Russian);
    EXPECT_EQ(english[0], QStringLiteral("Date and time: 2094/03/23  15:35:19"));
    EXPECT_EQ(english[1],
        QStringLiteral("Position Latitude: 048° 07' 2.28\"   Longitude: 011° 31' 0.00\""));
    EXPECT_EQ(english[2], QStringLiteral("Speed: 41.5 km/h"));
    EXPECT_EQ(english[3], lines[3]);
}

TEST_F(FramePrinterTest, PrintedPdfReadsAsThePageAndCentresTheFrame)
{
    FixedZone zone;
    printing::PdfPrintDialog dialog(pdf());
    const FramePrinter printer(
        solidFrame(QColor(0, 0, 255)), kExample, GSensorGraph::Sample{0.5, -0.25, 1}, 0);
    ASSERT_EQ(printer.print(), FramePrinter::Printed);
    EXPECT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.presetPageSize.id(), QPageSize::A4);
    EXPECT_EQ(dialog.presetOrientation, QPageLayout::Landscape);
    EXPECT_EQ(dialog.presetDocName, QStringLiteral("KOB"));

    const QStringList lines = pdfLines(pdf());
    const QStringList expected = {QStringLiteral("Дата и время: 2094/03/23 15:35:19"),
        QStringLiteral("Положение Широта: 048° 07' 2.28\" Долгота: 011° 31' 0.00\""),
        QStringLiteral("Скорость: 41.5 км/ч"),
        QStringLiteral("GSensor X: 0.500 Y: -0.250 Z: 1.000")};
    EXPECT_EQ(lines, expected);
    const QString info = run("pdfinfo", {pdf()});
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+KOB"))) << info.toStdString();
    EXPECT_TRUE(
        info.contains(QRegularExpression("Page size:\\s+84[12][.0-9]* x 595[.0-9]* pts \\(A4\\)")))
        << "A4 landscape: " << info.toStdString();

    // 60 dpi: the A4 sheet is 702 x 496 pixels; the frame is 1920 x 1440 of 3507 x 2480.
    const QImage page = pdfPicture(pdf(), m_folder.path(), 60, "printed-page");
    ASSERT_FALSE(page.isNull());
    const QRect frame = boxOf(page, QColor(0, 0, 255));
    EXPECT_NEAR(frame.width(), 1920.0 * page.width() / 3507, 2);
    EXPECT_NEAR(double(frame.width()) / frame.height(), 4.0 / 3, 0.03);
    EXPECT_NEAR(frame.left(), page.width() - 1 - frame.right(), 2) << "centred across";
    EXPECT_NEAR(frame.top(), page.height() - 1 - frame.bottom(), 2) << "centred down";
    // The text lies above the frame, the G-sensor line below it, left-aligned with it.
    const QRect ink = boxOf(page, QColor(40, 40, 40));
    EXPECT_LT(ink.top(), frame.top());
    EXPECT_GT(ink.bottom(), frame.bottom());
    EXPECT_NEAR(ink.left(), frame.left(), 2);
}

TEST_F(FramePrinterTest, PrintingBeforeTheFirstFrameGivesABlankFrame)
{
    QWidget owner;
    PVEXAdap adapter(&owner);
    FrameGrabber frames;
    const FramePrinter printer = FramePrinter::fromAdapter(adapter, frames, 1);
    const QStringList lines = printer.lines();
    EXPECT_EQ(lines[0], QStringLiteral("Дата и время: ----/--/--  --:--:--"));
    EXPECT_EQ(lines[2], QStringLiteral("Скорость: --.- мили/ч")) << "no record reported yet";
    EXPECT_EQ(lines[3], QString()) << "no sample reported yet";

    printing::PdfPrintDialog dialog(pdf());
    dialog.margins = QMarginsF(10, 10, 10, 10); // a printer that cannot print to the edge
    ASSERT_EQ(printer.print(), FramePrinter::Printed);
    const QStringList text = pdfLines(pdf());
    ASSERT_EQ(text.size(), 3);
    EXPECT_EQ(text[0], QStringLiteral("Дата и время: ----/--/-- --:--:--"));
    const QImage page = pdfPicture(pdf(), m_folder.path(), 30, "printed-before-first-frame");
    ASSERT_FALSE(page.isNull());
    // Below the text lines the sheet is white: the frame is blank.
    const QRect below(0, page.height() / 3, page.width(), page.height() / 2);
    EXPECT_TRUE(boxOf(page.copy(below), Qt::black).isEmpty());
}

TEST_F(FramePrinterTest, CancelledDialogPrintsNothing)
{
    printing::PdfPrintDialog dialog(pdf());
    dialog.answers = {false};
    const FramePrinter printer(QImage(), kExample, std::nullopt, 0);
    EXPECT_EQ(printer.print(), FramePrinter::Cancelled);
    EXPECT_FALSE(QFile::exists(pdf()));
}

TEST(FrameGrabberTest, CopiesWholeFramesOnlyAndBlankOtherwise)
{
    std::vector<std::uint8_t> frame1(FrameGrabber::kFrameBytes, 0);
    std::vector<std::uint8_t> frame2(FrameGrabber::kFrameBytes, 7);
    // Pixel (1, 0) blue 10, green 20, red 30; the unused byte is not alpha.
    frame1[4] = 10;
    frame1[5] = 20;
    frame1[6] = 30;
    frame1[7] = 0;
    FrameGrabber grabber;
    QImage image = grabber.grab(frame1.data(), FrameGrabber::kFrameBytes, frame2.data(), false);
    ASSERT_EQ(image.size(), QSize(640, 480));
    EXPECT_EQ(image.pixel(1, 0), qRgb(30, 20, 10));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(grabber.copy1(), frame1);
    EXPECT_TRUE(grabber.copy2().empty()) << "channel 2 only in two-channel mode";
    grabber.grab(frame1.data(), FrameGrabber::kFrameBytes, frame2.data(), true);
    EXPECT_EQ(grabber.copy2(), frame2);

    const QImage blank = FrameGrabber::blankFrame();
    EXPECT_EQ(grabber.grab(nullptr, FrameGrabber::kFrameBytes), blank);
    std::vector<std::uint8_t> shortFrame(1000, 9);
    EXPECT_EQ(grabber.grab(shortFrame.data(), int(shortFrame.size())), blank);
    EXPECT_EQ(grabber.copy1().size(), 1000u) << "the copy follows the reported size";
    EXPECT_EQ(grabber.grab(frame1.data(), 0), blank);
    EXPECT_EQ(grabber.grab(frame1.data(), -5), blank);
}

} // namespace
