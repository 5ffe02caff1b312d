// Skinned buttons (state images, the tab's pressed state, shape) and the skinned list (progress
// cells, row colours, hover, row height, owner-drawn column).
#include "skin/CSkinButton.h"
#include "skin/CSkinCRButton.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QApplication>
#include <QHoverEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace {

using State = CSkinButton::State;

void MoveMouseOver(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

void HoverListAt(CSkinListCtrlBase& list, QPoint at) {
    QWidget* port = list.viewport();
    QHoverEvent hover(QEvent::HoverMove, QPointF(at), port->mapToGlobal(QPointF(at)),
                      QPointF(-1, -1));
    QApplication::sendEvent(port, &hover);
}

QRgb CentreOf(int bitmap) {
    const QImage image = LoadSkinBitmap(bitmap, 1.0);
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(CSkinButton, StateImageChoice) {
    struct Case {
        const char* name;
        CSkinButton::StateInputs in;
        State expected;
    };
    auto in = [](bool enabled, bool disabledImage, bool pressedFlag, bool down, bool hover,
                 bool focus, bool focusImage) {
        CSkinButton::StateInputs s;
        s.enabled = enabled;
        s.hasDisabledImage = disabledImage;
        s.pressedFlag = pressedFlag;
        s.down = down;
        s.hover = hover;
        s.focus = focus;
        s.hasFocusImage = focusImage;
        return s;
    };
    const Case cases[] = {
        {"resting", in(true, true, false, false, false, false, true), State::Normal},
        {"disabled", in(false, true, true, true, true, true, true), State::Disabled},
        {"disabled without image", in(false, false, false, false, false, false, true),
         State::Normal},
        {"disabled without image, pressed flag", in(false, false, true, false, false, false, true),
         State::Pressed},
        {"pressed flag under the mouse", in(true, true, true, false, true, false, true),
         State::Pressed},
        {"held down", in(true, true, false, true, true, true, true), State::Pressed},
        {"hover beats focus", in(true, true, false, false, true, true, true), State::Hover},
        {"focus", in(true, true, false, false, false, true, true), State::Focused},
        {"focus without image", in(true, true, false, false, false, true, false), State::Normal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSkinButton::ChooseState(c.in), c.expected) << c.name;
}

// A tab button with its pressed flag keeps the pressed image while the mouse moves over it;
// once the flag is cleared the same mouse shows the hover image.
TEST(CSkinButton, TabWithPressedFlagKeepsPressedImageUnderTheMouse) {
    QWidget host;
    host.resize(200, 60);
    auto* tab = new CSkinButton(QString(), &host);
    tab->UseTabBitmaps();
    tab->setGeometry(10, 10, 100, 30);
    tab->SetPressed(true);
    host.show();
    QApplication::processEvents();

    MoveMouseOver(tab, QPoint(50, 20));
    EXPECT_TRUE(tab->IsHover());
    EXPECT_EQ(tab->CurrentState(), State::Pressed);
    EXPECT_EQ(tab->grab().toImage().pixel(50, 20), CentreOf(CSkinButton::kTabPressedBitmap));

    tab->SetPressed(false);
    EXPECT_EQ(tab->CurrentState(), State::Hover);
    EXPECT_EQ(tab->grab().toImage().pixel(50, 20), CentreOf(CSkinButton::kTabHoverBitmap));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tab, &leave);
    EXPECT_EQ(tab->CurrentState(), State::Normal);
    EXPECT_EQ(tab->grab().toImage().pixel(50, 20), CentreOf(CSkinButton::kTabNormalBitmap));
}

// The button's shape is the non-magenta part of its normal image: the rounded corners of the
// default image are outside, the middle inside.
TEST(CSkinButton, ShapeLeavesMagentaCornersOut) {
    QWidget host;
    auto* button = new CSkinButton(QStringLiteral("确定"), &host);
    button->setGeometry(0, 0, 84, 28);
    host.show();
    QApplication::processEvents();
    const QRegion mask = button->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(83, 27)));
    EXPECT_TRUE(mask.contains(QPoint(42, 0)));
    EXPECT_TRUE(mask.contains(QPoint(42, 14)));

    // A button whose images are missing is still drawn (text only) and keeps its full shape.
    auto* bare = new CSkinButton(QStringLiteral("无图"), &host);
    bare->SetButtonBitmaps(99991, 99992, 99993);
    bare->setGeometry(0, 40, 84, 28);
    bare->show();
    EXPECT_TRUE(bare->mask().isEmpty());
    EXPECT_FALSE(bare->grab().isNull());
}

TEST(CSkinCRButton, BoxImagesFollowTickAndKind) {
    EXPECT_EQ(CSkinCRButton::BoxBitmap(CSkinCRButton::Kind::Check, false, State::Normal), 326);
    EXPECT_EQ(CSkinCRButton::BoxBitmap(CSkinCRButton::Kind::Check, true, State::Hover), 329);
    EXPECT_EQ(CSkinCRButton::BoxBitmap(CSkinCRButton::Kind::Check, true, State::Disabled), 321);
    EXPECT_EQ(CSkinCRButton::BoxBitmap(CSkinCRButton::Kind::Radio, false, State::Pressed), 342);

    // Radio buttons of one parent exclude each other; check boxes do not.
    QWidget host;
    CSkinCRButton a(CSkinCRButton::Kind::Radio, QStringLiteral("只看楼主"), &host);
    CSkinCRButton b(CSkinCRButton::Kind::Radio, QStringLiteral("高亮楼主"), &host);
    a.click();
    b.click();
    EXPECT_FALSE(a.isChecked());
    EXPECT_TRUE(b.isChecked());
    CSkinCRButton check(CSkinCRButton::Kind::Check, QStringLiteral("自动下载图片"), &host);
    check.click();
    check.click();
    EXPECT_FALSE(check.isChecked());
}

TEST(CTransparentStatic, DrawsNoBackgroundOfItsOwn) {
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette p = host.palette();
    p.setColor(QPalette::Window, QColor(10, 120, 30));
    host.setPalette(p);
    host.resize(200, 60);
    auto* label = new CTransparentStatic(QStringLiteral("正在添加"), &host);
    label->setGeometry(0, 0, 200, 60);
    label->SetTextColour(QColor(250, 250, 250));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    host.show();
    QApplication::processEvents();
    const QImage shot = host.grab().toImage();
    EXPECT_EQ(shot.pixel(5, 5), qRgb(10, 120, 30));
    bool text = false;
    for (int x = 100; x < 200 && !text; ++x)
        for (int y = 20; y < 40 && !text; ++y)
            text = qRed(shot.pixel(x, y)) > 200;
    EXPECT_TRUE(text);
    label->SetText(QStringLiteral("完成"));
    EXPECT_EQ(label->text(), QStringLiteral("完成"));
}

// The progress cell: values clamp to 0..100, the bar needs a cell wider than 40 pixels.
TEST(CSkinListCtrl, ProgressCellLayout) {
    struct Case {
        int width, value;
        bool visible;
        int frameWidth, fillWidth;
        const char* text;
    };
    const Case cases[] = {
        {120, 150, true, 110, 108, "100%"}, {120, -5, true, 110, 0, "0%"},
        {120, 50, true, 110, 54, "50%"},    {120, 100, true, 110, 108, "100%"},
        {40, 50, false, 0, 0, "50%"},       {41, 100, true, 31, 29, "100%"},
        {10, 150, false, 0, 0, "100%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " / " << c.value);
        const auto layout =
            CSkinListCtrlBase::LayoutProgressCell(QRect(200, 60, c.width, 30), c.value);
        EXPECT_EQ(layout.visible, c.visible);
        EXPECT_EQ(layout.text, QString::fromLatin1(c.text));
        if (!c.visible)
            continue;
        EXPECT_EQ(layout.frame, QRect(205, 67, c.frameWidth, 15));
        EXPECT_EQ(layout.fill, QRect(206, 68, c.fillWidth, 13));
    }
}

namespace {

// A shown list with columns "名字" (100) and "进度" (120 or the given width), the progress
// values as rows.
struct ListFixture {
    QWidget host;
    CSkinListCtrl* list;

    explicit ListFixture(std::initializer_list<int> values, int progressWidth = 120) {
        host.resize(400, 300);
        list = new CSkinListCtrl(&host);
        list->setGeometry(0, 0, 400, 300);
        list->InsertColumn(0, QStringLiteral("名字"), 100);
        list->InsertColumn(1, QStringLiteral("进度"), progressWidth);
        list->InsertColumn(2, QStringLiteral("阅读"), 80);
        list->SkinHeader()->setStretchLastSection(false);
        list->SetProgressColumn(1);
        for (int v : values) {
            const int row = list->InsertItem(list->GetItemCount(), QStringLiteral("帖子"));
            list->SetItemText(row, 1, QString::number(v));
        }
        host.show();
        QApplication::processEvents();
    }

    QImage Shot() { return list->viewport()->grab().toImage(); }
    QRect Cell(int row, int column) { return list->visualRect(list->Model()->index(row, column)); }
};

} // namespace

// Drawn bars: 150 fills the whole bar, -5 leaves it empty, a 40-pixel cell shows nothing.
TEST(CSkinListCtrl, ProgressCellsAreDrawnClamped) {
    ListFixture f({150, -5});
    const QImage shot = f.Shot();
    const QRgb fill = CentreOf(332);
    const QRgb empty = CentreOf(331);
    for (int row = 0; row < 2; ++row) {
        const QRect cell = f.Cell(row, 1);
        const auto layout = CSkinListCtrlBase::LayoutProgressCell(cell, row == 0 ? 150 : -5);
        // Near both ends of the bar, away from the centred text.
        for (int x : {layout.frame.left() + 4, layout.frame.right() - 4}) {
            const QRgb px = shot.pixel(x, layout.frame.center().y());
            EXPECT_EQ(px, row == 0 ? fill : empty) << "row " << row << " x " << x;
        }
    }

    ListFixture narrow({50}, 40);
    const QImage narrowShot = narrow.Shot();
    const QRect cell = narrow.Cell(0, 1);
    int drawn = 0;
    for (int y = cell.top(); y < cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            drawn += narrowShot.pixel(x, y) != CurrentSkin().listEvenRow.rgb();
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(cell.width(), 40);
}

// Row grounds: even and odd rows, the selection (focused colour when the list shows its
// selection always, the other one otherwise), the row under the mouse, the disabled list.
TEST(CSkinListCtrl, RowColours) {
    const SkinSettings& skin = CurrentSkin();
    struct Case {
        const char* name;
        int selected, hover;
        bool always, enabled;
        QRgb row0, row1, row2;
        bool focus = false;
    };
    const Case cases[] = {
        {"plain", -1, -1, false, true, skin.listEvenRow.rgb(), skin.listOddRow.rgb(),
         skin.listEvenRow.rgb()},
        {"selected, focused", 1, -1, false, true, skin.listEvenRow.rgb(),
         skin.listSelectedFocused.rgb(), skin.listEvenRow.rgb(), true},
        {"selected, unfocused", 1, -1, false, true, skin.listEvenRow.rgb(), skin.listSelected.rgb(),
         skin.listEvenRow.rgb()},
        {"selected, shown always", 1, -1, true, true, skin.listEvenRow.rgb(),
         skin.listSelectedFocused.rgb(), skin.listEvenRow.rgb()},
        {"hover", -1, 2, false, true, skin.listEvenRow.rgb(), skin.listOddRow.rgb(),
         skin.listHover.rgb()},
        {"hover on the selected row", 1, 1, false, true, skin.listEvenRow.rgb(),
         skin.listSelected.rgb(), skin.listEvenRow.rgb()},
        {"disabled", 1, -1, false, false, skin.listDisabled.rgb(), skin.listDisabled.rgb(),
         skin.listDisabled.rgb()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListFixture f({10, 20, 30});
        // Another control takes the focus unless the case gives it to the list.
        auto* other = new QLineEdit(&f.host);
        other->setGeometry(0, 290, 10, 10);
        other->show();
        (c.focus ? static_cast<QWidget*>(f.list) : other)->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(f.list->hasFocus(), c.focus);
        f.list->SetShowSelectionAlways(c.always);
        f.list->SetGridLines(false);
        f.list->SelectRow(c.selected);
        f.list->setEnabled(c.enabled);
        if (c.hover >= 0) {
            HoverListAt(*f.list, f.Cell(c.hover, 2).center());
            EXPECT_EQ(f.list->HoverRow(), c.hover);
        }
        const QImage shot = f.Shot();
        // A blank spot of column 2 ("阅读", empty) in each row.
        const QRgb expected[3] = {c.row0, c.row1, c.row2};
        for (int row = 0; row < 3; ++row) {
            const QRect cell = f.Cell(row, 2);
            EXPECT_EQ(shot.pixel(cell.right() - 3, cell.center().y()), expected[row])
                << "row " << row;
        }
    }
}

TEST(CSkinListCtrl, HoverLeavesWithTheMouse) {
    ListFixture f({1, 2});
    HoverListAt(*f.list, f.Cell(1, 0).center());
    EXPECT_EQ(f.list->HoverRow(), 1);
    HoverListAt(*f.list, QPoint(10, 290));
    EXPECT_EQ(f.list->HoverRow(), -1);
    HoverListAt(*f.list, f.Cell(0, 0).center());
    QEvent leave(QEvent::HoverLeave);
    QHoverEvent hoverLeave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF(-1, -1));
    QApplication::sendEvent(f.list->viewport(), &hoverLeave);
    EXPECT_EQ(f.list->HoverRow(), -1);
}

TEST(CSkinListCtrl, RowHeightGridAndTextColours) {
    ListFixture f({1, 2});
    EXPECT_EQ(f.Cell(0, 0).height(), 30);
    f.list->SetRowHeight(40);
    EXPECT_EQ(f.Cell(1, 0).height(), 40);
    EXPECT_EQ(f.Cell(1, 0).top(), 40);

    // The grid line along the bottom of each row.
    QImage shot = f.Shot();
    const QRect cell = f.Cell(0, 2);
    EXPECT_EQ(shot.pixel(cell.right() - 3, cell.bottom()), CurrentSkin().listGrid.rgb());

    // Row colour from column 0, a cell colour over it, the selection colour over both.
    const QColor rowColour(200, 0, 0), cellColour(0, 0, 200);
    f.list->SetRowTextColour(0, rowColour);
    f.list->SetCellTextColour(0, 0, cellColour);
    f.list->SetItemText(0, 2, QStringLiteral("永久阅读"));
    shot = f.Shot();
    auto hasColour = [&](const QRect& r, QColor colour) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shot.pixel(x, y) == colour.rgb())
                    return true;
        return false;
    };
    EXPECT_TRUE(hasColour(f.Cell(0, 0), cellColour));
    EXPECT_FALSE(hasColour(f.Cell(0, 0), rowColour));
    EXPECT_TRUE(hasColour(f.Cell(0, 2), rowColour));
}

TEST(CSkinListCtrl, OwnerDrawnColumnGetsEveryVisibleCell) {
    ListFixture f({1, 2, 3});
    std::vector<std::pair<int, QRect>> calls;
    f.list->SetOwnerDrawColumn(2,
                               [&](QPainter& p, const QRect& cell, const QModelIndex& index, bool) {
                                   calls.emplace_back(index.row(), cell);
                                   p.fillRect(cell, QColor(1, 2, 3));
                               });
    const QImage shot = f.Shot();
    ASSERT_EQ(calls.size(), 3u);
    for (const auto& [row, cell] : calls) {
        EXPECT_EQ(cell.width(), 80);
        EXPECT_EQ(cell.x(), 220);
        EXPECT_EQ(shot.pixel(cell.center()), qRgb(1, 2, 3));
    }
}

TEST(CSkinListCtrl, RowsAndItemData) {
    CSkinListCtrl list;
    list.InsertColumn(0, QStringLiteral("序号"), 50);
    list.InsertColumn(1, QStringLiteral("名字"), 500);
    EXPECT_EQ(list.InsertItem(5, QStringLiteral("7")), 0);
    EXPECT_EQ(list.InsertItem(1, QStringLiteral("9")), 1);
    EXPECT_EQ(list.InsertItem(0, QStringLiteral("3")), 0);
    EXPECT_TRUE(list.SetItemText(2, 1, QStringLiteral("第三行")));
    EXPECT_FALSE(list.SetItemText(3, 1, QStringLiteral("no row")));
    EXPECT_FALSE(list.SetItemText(0, 5, QStringLiteral("no column")));
    EXPECT_EQ(list.GetItemText(2, 1), QStringLiteral("第三行"));
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("3"));
    EXPECT_TRUE(list.SetItemData(1, 4242));
    EXPECT_EQ(list.GetItemData(1), 4242);
    list.SelectRow(2);
    EXPECT_EQ(list.GetSelectedRow(), 2);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.selectionModel()->select(list.Model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(list.GetSelectedRows(), (QList<int>{0, 2}));
    EXPECT_EQ(list.GetSelectedRow(), 0);
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(7));
    EXPECT_EQ(list.GetItemData(0), 4242);
    EXPECT_EQ(list.GetSelectedRows(), (QList<int>{1}));
    EXPECT_EQ(list.GetItemCount(), 2);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectedRow(), -1);
}
