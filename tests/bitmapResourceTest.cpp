#include "bitmapResource.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct GlyphCase {
    const char* name;
    int dibBytes;
    std::vector<std::string> picture; // top row first, X black
};

class GlyphResourceTest : public ::testing::TestWithParam<GlyphCase> {};

quint32 u32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
quint16 u16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

TEST_P(GlyphResourceTest, DecodesToItsPicture) {
    const GlyphCase& c = GetParam();
    const QImage image = loadBitmapResource(c.name);
    EXPECT_EQ(image.depth(), 1);
    const int h = int(c.picture.size()), w = int(c.picture[0].size());
    ASSERT_EQ(image.size(), QSize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(image.pixel(x, y),
                      c.picture[y][x] == 'X' ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
}

// The file carries the 14-byte file header; the bitmap itself is everything after it.
TEST_P(GlyphResourceTest, TheBitmapAfterTheFileHeaderHasItsSizeAndLayout) {
    const GlyphCase& c = GetParam();
    QFile file(QStringLiteral(":/") + c.name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray dib = file.readAll().mid(14);
    EXPECT_EQ(dib.size(), c.dibBytes);
    EXPECT_EQ(u32(dib, 0), 40u);
    EXPECT_EQ(int(u32(dib, 8)), int(c.picture.size())) << "positive: rows bottom-up";
    EXPECT_EQ(u16(dib, 14), 1) << "one bit per pixel";
    EXPECT_EQ(u32(dib, 16), 0u) << "no compression";
    EXPECT_EQ(dib.mid(40, 8), QByteArray("\0\0\0\0\xff\xff\xff\0", 8)) << "black, then white";
}

INSTANTIATE_TEST_SUITE_P(
    Glyphs, GlyphResourceTest,
    ::testing::Values(
        GlyphCase{"QUARNSPINUP", 72, {"..XX..", ".XXXX.", "XXXXXX", "..XX..", "..XX..", "..XX.."}},
        GlyphCase{
            "QUARNSPINDOWN", 72, {"..XX..", "..XX..", "..XX..", "XXXXXX", ".XXXX.", "..XX.."}},
        GlyphCase{"QUARNSPINUPPOLE", 64, {"...X...", "..XXX..", ".XXXXX.", "XXXXXXX"}},
        GlyphCase{"QUARNSPINDOWNPOLE", 64, {"XXXXXXX", ".XXXXX.", "..XXX..", "...X..."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapResource, AnUnknownNameGivesANullImage) {
    EXPECT_TRUE(loadBitmapResource("NOSUCHGLYPH").isNull());
    EXPECT_TRUE(loadBitmapResource(nullptr).isNull());
}

} // namespace
