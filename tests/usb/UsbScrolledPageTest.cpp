#include "UsbToolFixture.h"

#include "usb/UsbPageControls.h"
#include "usb/UsbScrolledPage.h"
#include "usb/UsbToolPopup.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

namespace {

using Tool = UsbToolPopup;

// One notch of a wheel at a widget; returns whether someone took it.
bool turnWheel(QWidget* at, int delta)
{
    const QPointF inside(at->width() / 2.0, at->height() / 2.0);
    QWheelEvent wheel(inside, at->mapToGlobal(inside), QPoint(), QPoint(0, delta), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    // As from the window system: only such a wheel goes on to the parents when ignored (and
    // sendEvent would clear the mark).
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(at, &wheel);
    return wheel.isAccepted();
}

class UsbScrolledPageTest : public UsbToolFixture
{
protected:
    UsbScrolledPage* scrolled(int index)
    {
        auto* page = qobject_cast<UsbScrolledPage*>(showPage(index));
        EXPECT_NE(page, nullptr);
        return page;
    }
    // Where the page's contents sit: moved up by the scroll position.
    static int contentTop(UsbScrolledPage* page)
    {
        return page->findChild<DropList*>()
            ->parentWidget()
            ->parentWidget()
            ->mapTo(page, QPoint(0, 0))
            .y();
    }
};

} // namespace

TEST(PageScrollTest, StepsScaleWithTheRangeAndStopAtItsEnds)
{
    PageScroll s{1000, 300, 0};
    EXPECT_EQ(s.range(), 700);
    EXPECT_EQ(s.lineStep(), 35);
    EXPECT_EQ(s.pageStep(), 70);
    EXPECT_EQ(s.moveBy(-35), 0); // at the top already
    EXPECT_EQ(s.moveBy(35), 35);
    s.position = 690;
    EXPECT_EQ(s.moveBy(35), 10); // stops at the range
    EXPECT_EQ(s.moveTo(5000), 10);
    EXPECT_EQ(s.moveTo(-3), -690);

    PageScroll small{340, 300, 0};
    EXPECT_EQ(small.lineStep(), 5); // 40 / 20 would be 2: never below 5
    EXPECT_EQ(small.pageStep(), 5);
    PageScroll fits{200, 300, 0};
    EXPECT_EQ(fits.range(), 0);
    EXPECT_EQ(fits.moveBy(5), 0);
}

TEST_F(UsbScrolledPageTest, BarStepsPagesAndThumbFollowTheirRules)
{
    openTool();
    for (int index : {Tool::RecSet, Tool::Setting}) {
        UsbScrolledPage* page = scrolled(index);
        const PageScroll& s = page->scroll();
        QScrollBar* bar = page->scrollBar();
        ASSERT_GT(s.full, s.visible) << index; // both pages are taller than the tab area
        EXPECT_EQ(s.visible, page->height());
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(bar->isEnabled());
        EXPECT_EQ(bar->maximum(), s.range());
        EXPECT_EQ(bar->pageStep(), s.visible);

        const int line = std::max(s.range() / 20, 5);
        const int pageStep = std::max(s.range() / 10, 5);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(s.position, 0);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(s.position, line);
        EXPECT_EQ(bar->value(), line);
        EXPECT_EQ(contentTop(page), -line);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(s.position, line + pageStep);
        for (int i = 0; i < 40; ++i)
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(s.position, s.range());
        EXPECT_EQ(bar->value(), s.range());
        EXPECT_EQ(contentTop(page), -s.range());
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        EXPECT_EQ(s.position, s.range() - pageStep);

        bar->setSliderPosition(17); // a thumb drag, tracked
        EXPECT_EQ(s.position, 17);
        EXPECT_EQ(contentTop(page), -17);

        // A new size starts at the top; the bar stays, disabled, once everything fits.
        page->resize(page->width(), page->height() - 40);
        EXPECT_EQ(s.position, 0);
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(contentTop(page), 0);
        EXPECT_EQ(bar->maximum(), s.full - s.visible);
        page->resize(page->width(), s.full + 30);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_FALSE(bar->isEnabled());
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(s.position, 0);
        EXPECT_EQ(contentTop(page), 0);
        page->setGeometry(
            QRect(5, 25, page->parentWidget()->width() - 10, page->parentWidget()->height() - 30));
    }
}

TEST_F(UsbScrolledPageTest, WheelScrollsThePageUnlessAFocusedListTakesIt)
{
    openTool();
    UsbScrolledPage* page = scrolled(Tool::Setting);
    const PageScroll& s = page->scroll();
    const int line = s.lineStep();
    DropList* year = list(Tool::Setting, "year");
    const int selected = year->currentIndex();

    // Over an unfocused list: one line per notch, whatever the notch's size.
    EXPECT_TRUE(turnWheel(year, -120));
    EXPECT_EQ(s.position, line);
    EXPECT_TRUE(turnWheel(year, -360));
    EXPECT_EQ(s.position, 2 * line);
    EXPECT_TRUE(turnWheel(year, 0)); // zero counts as away from the user: up
    EXPECT_EQ(s.position, line);
    EXPECT_EQ(year->currentIndex(), selected);
    EXPECT_TRUE(turnWheel(page->scrollBar(), -120)); // the bar scrolls the same way
    EXPECT_EQ(s.position, 2 * line);

    // A list with the focus takes the wheel; the page stays.
    tool->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tool.get()));
    year->setFocus();
    ASSERT_TRUE(waitFor([&] { return year->hasFocus(); }));
    const int focusedAt = s.position; // scrolled to show the focused list whole
    turnWheel(year, -120);
    EXPECT_EQ(year->currentIndex(), selected + 1);
    EXPECT_EQ(s.position, focusedAt);

    // Radio buttons, labels and groups pass the wheel on.
    for (int i = 0; i < 200; ++i)
        turnWheel(row(Tool::Setting, "gpsMode")->button(0), 120);
    EXPECT_EQ(s.position, 0);
}

TEST_F(UsbScrolledPageTest, KeyboardFocusBringsTheControlIntoView)
{
    openTool();
    tool->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tool.get()));
    UsbScrolledPage* page = scrolled(Tool::RecSet);
    const auto inView = [page](QWidget* control) {
        return page->rect().contains(QRect(control->mapTo(page, QPoint(0, 0)), control->size()));
    };
    QWidget* save = button(page, 1);
    ASSERT_FALSE(inView(save));
    save->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitFor([&] { return save->hasFocus(); }));
    EXPECT_TRUE(inView(save));
    EXPECT_GT(page->scroll().position, page->scroll().range() / 2);
    EXPECT_EQ(page->scrollBar()->value(), page->scroll().position);

    QWidget* first = row(Tool::RecSet, "siTime")->button(0);
    ASSERT_FALSE(inView(first));
    first->setFocus(Qt::BacktabFocusReason);
    ASSERT_TRUE(waitFor([&] { return first->hasFocus(); }));
    EXPECT_TRUE(inView(first));
    EXPECT_EQ(page->scrollBar()->value(), page->scroll().position);
}
