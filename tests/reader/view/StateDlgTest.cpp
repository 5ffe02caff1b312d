#include "reader/view/CStateCtl.h"
#include "reader/view/CStateDlg.h"
#include "tests/reader/view/ViewTestSupport.h"

#include "skin/CTransparentStatic.h"
#include <QImage>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingSink : public ServerRequestSink {
public:
    void QueueSmall(const SmallMessage& message) override { sent.push_back(message); }
    std::vector<SmallMessage> sent;
};

QList<int> PagesTo(int last) {
    QList<int> pages;
    for (int p = 1; p <= last; ++p)
        pages.append(p);
    return pages;
}

void Click(QWidget* widget, QPoint point) {
    QMouseEvent press(QEvent::MouseButtonPress, point, widget->mapToGlobal(point), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

void Move(QWidget* widget, QPoint point) {
    QMouseEvent move(QEvent::MouseMove, point, widget->mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// The centre of cell `index` on the 201 x 201 square.
QPoint CellCentre(int index) {
    return {(index % 20) * 10 + 5, (index / 20) * 10 + 5};
}

class StateDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&strip, &CStateDlg::ReadPageRequested,
                         [this](int page) { reads.push_back(page); });
        strip.show();
    }
    RecordingSink sink;
    CStateDlg strip{42, &sink};
    std::vector<int> reads;
};

TEST_F(StateDlgTest, LabelAndButtonsOfTheLastGroup) {
    strip.RefreshForScreen(PagesTo(450), 430, 430);
    EXPECT_EQ(strip.Label()->text(), QStringLiteral("401页-450页"));
    EXPECT_TRUE(strip.GroupButton(CStateCore::First)->isEnabled());
    EXPECT_TRUE(strip.GroupButton(CStateCore::Previous)->isEnabled());
    EXPECT_FALSE(strip.GroupButton(CStateCore::Next)->isEnabled());
    EXPECT_FALSE(strip.GroupButton(CStateCore::Last)->isEnabled());
    strip.GroupButton(CStateCore::First)->click();
    EXPECT_EQ(strip.Label()->text(), QStringLiteral("1页-400页"));
    EXPECT_FALSE(strip.GroupButton(CStateCore::Previous)->isEnabled());
    EXPECT_TRUE(strip.GroupButton(CStateCore::Last)->isEnabled());
    EXPECT_EQ(strip.Cells()->Cells()[0], CellStored);
}

TEST_F(StateDlgTest, ClicksReadStoredPagesAndFetchMissingOnes) {
    strip.RefreshForScreen({1, 2, 5}, 2, 2);
    std::vector<int> states;
    QObject::connect(&strip, &CStateDlg::CellClicked, [&](int state) { states.push_back(state); });
    Click(strip.Cells(), CellCentre(0)); // page 1, stored
    Click(strip.Cells(), CellCentre(1)); // page 2, the screen's start: nothing
    Click(strip.Cells(), CellCentre(2)); // page 3, missing
    Click(strip.Cells(), CellCentre(9)); // page 10, after the last stored page
    Click(strip.Cells(), {200, 3});      // the border: no cell
    EXPECT_EQ(reads, std::vector<int>{1});
    ASSERT_EQ(sink.sent.size(), 2u);
    EXPECT_EQ(sink.sent[0].code, CDTUserSet);
    EXPECT_EQ(sink.sent[0].a, 42);
    EXPECT_EQ(sink.sent[0].b, 3);
    EXPECT_EQ(sink.sent[0].c, 3);
    EXPECT_EQ(sink.sent[1].b, 10);
    EXPECT_EQ(states, (std::vector<int>{CellStored, CellReading, CellMissing, CellBeyondLast}));
}

TEST_F(StateDlgTest, TooltipNamesTheCellUnderTheMouse) {
    strip.RefreshForScreen({1, 2, 5}, 1, 1);
    Move(strip.Cells(), CellCentre(2));
    EXPECT_EQ(strip.Cells()->toolTip(), QStringLiteral("第3页--未下载页面，点击立即下载"));
    strip.Cells()->setToolTip(QStringLiteral("marker"));
    Move(strip.Cells(), CellCentre(2) + QPoint(1, 1)); // the same cell: unchanged
    EXPECT_EQ(strip.Cells()->toolTip(), QStringLiteral("marker"));
    Move(strip.Cells(), CellCentre(4));
    EXPECT_EQ(strip.Cells()->toolTip(), QStringLiteral("第5页--已下载页面，点击立即阅读"));
}

TEST_F(StateDlgTest, CellsArePaintedInTheirColours) {
    strip.RefreshForScreen({1, 2, 5}, 1, 1);
    const QImage image = strip.Cells()->grab().toImage();
    EXPECT_EQ(image.pixelColor(CellCentre(0)), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(CellCentre(1)), QColor(0, 128, 128));
    EXPECT_EQ(image.pixelColor(CellCentre(2)), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(CellCentre(5)), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(QPoint(10, 5)), QColor(Qt::white)); // the gap between cells
}

} // namespace
