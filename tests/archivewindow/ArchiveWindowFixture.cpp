#include "ArchiveWindowFixture.h"

#include "support/Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

namespace archivewintest {

QString demoCard()
{
    // Written once per program; the folder is removed when the program ends.
    static QTemporaryDir folder;
    static const QString card = [] {
        const QString path = folder.filePath(QStringLiteral("card"));
        const testsupport::ProcessResult made = testsupport::runProcess(
            QStringLiteral(ZYN_CARDGEN), {QStringLiteral("--length"), QStringLiteral("30"), path});
        return made.exitCode == 0 ? path : QString();
    }();
    return card;
}

int runArchiveTool(const QStringList& arguments, QString* output)
{
    const testsupport::ProcessResult run
        = testsupport::runProcess(QStringLiteral(ZYN_ARCHIVE), arguments);
    if (output)
        *output = QString::fromUtf8(run.out + run.err);
    return run.exitCode;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

ImportedArchive::ImportedArchive(const QString& database, bool import)
    : m_root(m_folder.filePath(QStringLiteral("archive")))
    , m_database(database)
{
    if (!m_folder.isValid() || demoCard().isEmpty())
        return;
    if (!import) {
        m_valid = true;
        return;
    }
    QStringList args{QStringLiteral("--archive"), m_root};
    if (!database.isEmpty())
        args << QStringLiteral("--db") << database;
    args << QStringLiteral("import") << demoCard();
    QString output;
    m_valid = runArchiveTool(args, &output) == 0;
    if (!m_valid)
        ADD_FAILURE() << output.toStdString();
}

} // namespace archivewintest
