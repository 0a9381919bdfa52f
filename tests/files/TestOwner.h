#pragma once

#include "files/FilesOpenPopup.h"
#include "platform/AppMessage.h"

#include <QStringList>
#include <QWidget>

#include <vector>

// Stands in for the main window (borderless, like it): owns the file selector, takes its hand-over
// the way the play list does (reading the selection while the popup waits) and hides it on request.
class TestOwner : public QWidget
{
public:
    struct Handover
    {
        platform::WParam count;
        platform::LParam lParam;
        int tab;
        QStringList paths;
        int shownStateDuringSend;
    };

    TestOwner()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setGeometry(0, 0, 1020, 780);
        m_messages = {
            {platform::UM_ADD_FILES,
                [this](platform::WParam n, platform::LParam l) -> platform::LResult {
                    const int tab = files->currentTab();
                    handovers.push_back(
                        {n, l, tab, files->selection(tab).mid(0, int(n)), files->shownState()});
                    return 0;
                }},
            {platform::UM_HIDE_POPUP,
                [this](platform::WParam w, platform::LParam l) -> platform::LResult {
                    hideRequests.push_back({w, l});
                    files->SetVisible(0);
                    return 0;
                }},
        };
    }

    bool event(QEvent* event) override
    {
        return m_messages.dispatch(event) || QWidget::event(event);
    }

    FilesOpenPopup* files = nullptr;
    std::vector<Handover> handovers;
    std::vector<std::pair<platform::WParam, platform::LParam>> hideRequests;

private:
    platform::MessageMap m_messages;
};
