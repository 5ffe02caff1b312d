// Nine-slice stretching, colour-key regions and the stretch surface's render-once rule.
#include "skin/SkinDrawing.h"
#include "skin/CStretchDC.h"
#include "skin/SkinSettings.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 9 x 9 source (at `ratio`) whose nine slices, with margins 4, each have their own colour.
const QRgb kSlice[3][3] = {{0xff100000, 0xff200000, 0xff300000},
                           {0xff001000, 0xff002000, 0xff003000},
                           {0xff000010, 0xff000020, 0xff000030}};

int SliceOf(int v, int size) {
    return v < 4 ? 0 : (v < size - 4 ? 1 : 2);
}

QImage SlicedSource(int ratio) {
    QImage image(9 * ratio, 9 * ratio, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, kSlice[SliceOf(y / ratio, 9)][SliceOf(x / ratio, 9)]);
    image.setDevicePixelRatio(ratio);
    return image;
}

QImage Stretch(const QImage& source, QSize size, int ratio, bool fillCentre) {
    QImage target(size * ratio, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(ratio);
    target.fill(Qt::transparent);
    QPainter p(&target);
    NineSliceStretch(p, QRect(QPoint(), size), source, DefaultNineSliceMargins(QSize(9, 9)),
                     fillCentre);
    return target;
}

} // namespace

TEST(NineSliceStretch, DefaultMarginsLeaveOneCentrePixel) {
    EXPECT_EQ(DefaultNineSliceMargins(QSize(9, 9)), QMargins(4, 4, 4, 4));
    EXPECT_EQ(DefaultNineSliceMargins(QSize(61, 21)), QMargins(30, 10, 30, 10));
    EXPECT_EQ(DefaultNineSliceMargins(QSize(1, 2)), QMargins(0, 0, 0, 0));
}

// Every target pixel must come from the slice that covers its place: corners 4 x 4 unscaled,
// edges stretched along their length only, the centre filled only on request. Checked at 1x
// and with a 2x source into a 2x surface (corners then copied device pixel for device pixel).
TEST(NineSliceStretch, EveryPixelComesFromItsSlice) {
    struct Case {
        QSize size;
        int ratio;
        bool fillCentre;
    };
    const Case cases[] = {
        {{40, 30}, 1, true}, {{40, 30}, 1, false}, {{9, 9}, 1, true},
        {{40, 30}, 2, true}, {{23, 11}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << " @"
                                        << c.ratio << " fill " << c.fillCentre);
        const QImage out = Stretch(SlicedSource(c.ratio), c.size, c.ratio, c.fillCentre);
        const int w = c.size.width() * c.ratio, h = c.size.height() * c.ratio;
        int wrong = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int row = y < 4 * c.ratio ? 0 : (y < h - 4 * c.ratio ? 1 : 2);
                const int col = x < 4 * c.ratio ? 0 : (x < w - 4 * c.ratio ? 1 : 2);
                QRgb expected = kSlice[row][col];
                if (row == 1 && col == 1 && !c.fillCentre)
                    expected = 0;
                if (out.pixel(x, y) != expected)
                    ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// A target smaller than the two margins shrinks them in proportion instead of overlapping.
TEST(NineSliceStretch, SmallTargetShrinksMargins) {
    const QImage out = Stretch(SlicedSource(1), QSize(6, 3), 1, true);
    EXPECT_EQ(out.pixel(0, 0), kSlice[0][0]);
    EXPECT_EQ(out.pixel(2, 0), kSlice[0][0]);
    EXPECT_EQ(out.pixel(3, 0), kSlice[0][2]);
    EXPECT_EQ(out.pixel(5, 2), kSlice[2][2]);
    EXPECT_EQ(out.pixel(5, 0), kSlice[0][2]);
    // Three rows split 1 : 2 between top and bottom margins (4 and 4 of a height of 3).
    EXPECT_EQ(out.pixel(0, 1), kSlice[2][0]);
    EXPECT_EQ(out.pixel(0, 2), kSlice[2][0]);
}

TEST(NineSliceStretch, NullSourceOrEmptyTargetDrawsNothing) {
    QImage target(10, 10, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter p(&target);
    NineSliceStretch(p, QRect(0, 0, 10, 10), QImage(), QMargins(2, 2, 2, 2), true);
    NineSliceStretch(p, QRect(0, 0, 0, 10), SlicedSource(1), QMargins(4, 4, 4, 4), true);
    p.end();
    EXPECT_EQ(target.pixel(5, 5), 0u);
}

// ColourKeyRegion holds exactly the pixels that differ from the key ('k' below), also for a
// 2x image read in logical pixels.
TEST(ColourKeyRegion, HoldsExactlyTheNonKeyPixels) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        int ratio;
    };
    const Case cases[] = {
        {"all key", {"kkk", "kkk"}, 1},
        {"no key", {"...", "..."}, 1},
        {"rounded corners", {"kk....kk", "k......k", "........", "........", "k......k"}, 1},
        {"holes and runs", {".k.k..", "......", "kk..kk", ".kkkk."}, 1},
        {"2x", {"k..k", "....", "k..."}, 2},
    };
    const QColor key(0, 255, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int h = int(c.rows.size()), w = int(c.rows[0].size());
        QImage image(w * c.ratio, h * c.ratio, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y,
                               c.rows[y / c.ratio][x / c.ratio] == 'k' ? key.rgb() : 0xff336699);
        image.setDevicePixelRatio(c.ratio);
        const QRegion region = ColourKeyRegion(image, key);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(region.contains(QPoint(x, y)), c.rows[y][x] != 'k') << x << "," << y;
        EXPECT_TRUE(region.boundingRect().isEmpty() ||
                    QRect(0, 0, w, h).contains(region.boundingRect()));
    }
}

TEST(ColourKeyRegion, KeyedCopyClearsOnlyTheKey) {
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(255, 0, 254));
    const QImage keyed = KeyedCopy(image, QColor(255, 0, 255));
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixel(1, 0), qRgb(255, 0, 254));
}

// A background is rendered once per size and ratio, however often it is asked for.
TEST(CStretchDC, RendersOncePerSize) {
    CStretchDC dc;
    dc.SetSource(SlicedSource(1));
    EXPECT_TRUE(dc.Render(QSize(50, 40)));
    EXPECT_FALSE(dc.Render(QSize(50, 40)));
    EXPECT_FALSE(dc.Render(QSize(50, 40)));
    EXPECT_EQ(dc.RenderCount(), 1);
    EXPECT_EQ(dc.Size(), QSize(50, 40));
    EXPECT_TRUE(dc.Render(QSize(60, 40)));
    EXPECT_TRUE(dc.Render(QSize(60, 40), 2.0));
    EXPECT_EQ(dc.Image().size(), QSize(120, 80));
    dc.MarkStale();
    EXPECT_TRUE(dc.Render(QSize(60, 40), 2.0));
    EXPECT_EQ(dc.RenderCount(), 4);
}

TEST(CStretchDC, MissingBitmapLeavesTheSurfaceEmpty) {
    CStretchDC dc;
    dc.SetSourceBitmap(99999);
    dc.SetColourKey(QColor(255, 0, 255));
    EXPECT_FALSE(dc.HasSource());
    dc.Render(QSize(30, 20));
    EXPECT_TRUE(dc.IsEmpty());
    EXPECT_TRUE(dc.KeyRegion().isEmpty());
}

// Every bitmap the skin names exists at 1x and 2x, with the same logical size.
TEST(SkinBitmaps, EveryResourceExistsAtBothRatios) {
    std::vector<int> ids{101, 102, 103, 104, 105, 106, 128, 144, 145, 146, 147, 149,
                         150, 151, 152, 153, 154, 155, 156, 157, 330, 331, 332};
    for (int id = 311; id <= 329; ++id)
        ids.push_back(id);
    for (int id = 340; id <= 349; ++id)
        ids.push_back(id);
    for (int id : ids) {
        const QImage one = LoadSkinBitmap(id, 1.0);
        const QImage two = LoadSkinBitmap(id, 2.0);
        ASSERT_FALSE(one.isNull()) << id;
        ASSERT_FALSE(two.isNull()) << id;
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << id;
        EXPECT_EQ(two.size(), one.size() * 2) << id;
    }
    EXPECT_TRUE(LoadSkinBitmap(99999).isNull());
}

TEST(InitSkin, SameNamedSkinIsKept) {
    InitSkin(QStringLiteral("/some/skin"));
    const int generation = SkinGeneration();
    InitSkin(QStringLiteral("/some/skin"));
    EXPECT_EQ(SkinGeneration(), generation);
    InitSkin(QString());
    EXPECT_EQ(SkinGeneration(), generation + 1);
    InitSkin(QString());
    EXPECT_EQ(SkinGeneration(), generation + 2);
    EXPECT_EQ(CurrentSkin().frameKey, QColor(0, 255, 0));
    EXPECT_EQ(CurrentSkin().listRowHeight, 30);
}
