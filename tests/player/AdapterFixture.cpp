#include "AdapterFixture.h"

#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"

namespace playertest {

FakeLibrary& FakeLibrary::instance()
{
    static FakeLibrary library;
    return library;
}

QString FakeLibrary::file(bool complete)
{
    return QCoreApplication::applicationDirPath()
        + (complete ? QStringLiteral("/libzyn_fakeplayer.so")
                    : QStringLiteral("/libzyn_fakeplayer_noexport.so"));
}

FakeLibrary::FakeLibrary()
{
    if (!m_library.load(file()))
        ADD_FAILURE() << m_library.errorString().toStdString();
    m_commandCount = m_library.resolveAs<decltype(m_commandCount)>("fake_commandCount");
    m_command = m_library.resolveAs<decltype(m_command)>("fake_command");
    m_clear = m_library.resolveAs<decltype(m_clear)>("fake_clear");
    m_fire = m_library.resolveAs<decltype(m_fire)>("fake_fire");
    m_callbackSet = m_library.resolveAs<decltype(m_callbackSet)>("fake_callbackSet");
    m_argumentCount = m_library.resolveAs<decltype(m_argumentCount)>("fake_entryArgumentCount");
    m_argument = m_library.resolveAs<decltype(m_argument)>("fake_entryArgument");
    m_entryRunning = m_library.resolveAs<decltype(m_entryRunning)>("fake_entryRunning");
    m_entryStarts = m_library.resolveAs<decltype(m_entryStarts)>("fake_entryStarts");
    m_quitFlag = m_library.resolveAs<decltype(m_quitFlag)>("fake_quitFlag");
    m_setQuitCodes = m_library.resolveAs<decltype(m_setQuitCodes)>("fake_setQuitCodes");
    m_holdEntry = m_library.resolveAs<decltype(m_holdEntry)>("fake_holdEntry");
}

std::vector<std::string> FakeLibrary::commands() const
{
    std::vector<std::string> list;
    std::vector<char> text(velq::kCommandMax + 1);
    for (int i = 0; i < m_commandCount(); ++i)
        if (m_command(i, text.data(), int(text.size())))
            list.emplace_back(text.data());
    return list;
}

std::vector<std::string> FakeLibrary::entryArguments() const
{
    std::vector<std::string> list;
    std::vector<char> text(velq::kNameMax + 1);
    for (int i = 0; i < m_argumentCount(); ++i)
        if (m_argument(i, text.data(), int(text.size())))
            list.emplace_back(text.data());
    return list;
}

void AdapterTest::SetUp()
{
    fake().clear();
    fake().setQuitCodes(true);
    fake().holdEntry(false);
    owner = std::make_unique<MessageProbe>();
    window1 = std::make_unique<MessageProbe>();
    window2 = std::make_unique<MessageProbe>();
    // Video windows are children of the main window, as the library makes them.
    window1->setParent(owner.get());
    window2->setParent(owner.get());
    adapter = std::make_unique<PVEXAdap>(owner.get());
}

void AdapterTest::TearDown()
{
    adapter.reset();
    window1->setParent(nullptr);
    window2->setParent(nullptr);
    // Messages posted to the probes by threads must not outlive them.
    QCoreApplication::processEvents();
}

void AdapterTest::loadReady()
{
    ASSERT_EQ(state()->loadLibrary(FakeLibrary::file().toLocal8Bit().constData()), 0);
    fake().fire(velq::CB_READY);
    ASSERT_EQ(state(), adapter->stateReady.get());
}

std::string AdapterTest::recordingPath(const char* name) const
{
    return (m_folder.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

void AdapterTest::startPlaying(const std::string& name)
{
    loadReady();
    const std::string path = name.empty() ? recordingPath("drf_20240102_030405.mp4") : name;
    adapter->switchState(adapter->stateLoading.get());
    ASSERT_EQ(state()->openFile(path.c_str(), ""), 0);
    ASSERT_TRUE(waitUntil([this] { return fake().entryRunning(); }));
    fake().fire(velq::CB_VIDEO_WINDOW_1, window1.get());
    fake().fire(velq::CB_QUIT_FLAG, fake().quitFlag());
    fake().fire(velq::CB_PLAYING);
    ASSERT_EQ(state(), adapter->statePlaying.get());
    fake().clear();
}

} // namespace playertest
