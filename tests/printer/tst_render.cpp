#include "Render.h"

#include <QTest>

#include <set>

namespace {

quint32 lowBits(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (quint32(1) << count) - 1;
}

// Every dot row that holds at least one dot.
quint32 usedRows(const std::vector<quint32> &columns) {
    quint32 rows = 0;
    for (quint32 column : columns)
        rows |= column;
    return rows;
}

RenderItem textItem(int row, int column, const QString &text, int font) {
    return {row, column, text, font, {}, 0};
}

RenderItem logoItem(int row, int column, std::vector<quint32> logo, int height) {
    return {row, column, {}, 0, std::move(logo), height};
}

// Pictures laid over each other from the left edge, each moved down by its number of dots.
std::vector<quint32> overlaid(std::initializer_list<std::pair<std::vector<quint32>, int>> layers) {
    std::vector<quint32> columns;
    for (const auto &[layer, down] : layers) {
        columns.resize(std::max(columns.size(), layer.size()));
        for (size_t x = 0; x < layer.size(); ++x)
            columns[x] |= layer[x] << down;
    }
    return columns;
}

// The parts side by side, left to right.
std::vector<quint32> joined(std::initializer_list<std::vector<quint32>> parts) {
    std::vector<quint32> columns;
    for (const std::vector<quint32> &part : parts)
        columns.insert(columns.end(), part.begin(), part.end());
    return columns;
}

// A mark's picture: its band count and its columns.
void expectPicture(const std::vector<RenderItem> &items, int bands,
                   const std::vector<quint32> &columns) {
    const MarkPicture picture = renderMark(items);
    QCOMPARE(picture.bands, bands);
    QCOMPARE(picture.columns, columns);
}

QString range(char16_t first, char16_t last) {
    QString text;
    for (char16_t c = first; c <= last; ++c)
        text += QChar(c);
    return text;
}

const QString latin = range(0x21, 0x7E);
const QString cyrillic = range(0x0410, 0x044F) + QStringLiteral("Ёё№");

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    // A text of font f spans exactly the font's height, for every glyph; heights rise to 32.
    void fontHeights() {
        int previous = 0;
        for (int font = 0; font < pixelFontCount; ++font) {
            const int height = pixelFontHeight(font);
            QVERIFY2(height > previous, qPrintable(QString("font %1").arg(font)));
            previous = height;
            // Over all glyphs, the top and bottom rows are used and nothing lies below the font.
            QCOMPARE(usedRows(renderText(latin + cyrillic, font)), lowBits(height));
            // A single tall glyph already fills the whole height.
            QCOMPARE(usedRows(renderText("|", font)), lowBits(height));
        }
        QCOMPARE(pixelFontHeight(0), 7);
        QCOMPARE(pixelFontHeight(pixelFontCount - 1), 32);
        // Font numbers outside the range draw in the nearest font rather than failing.
        QCOMPARE(pixelFontHeight(-3), pixelFontHeight(0));
        QCOMPARE(pixelFontHeight(7), 32);
        QCOMPARE(renderText("A", 99), renderText("A", 6));
    }

    // Every Latin and Cyrillic character has its own drawing; unknown ones draw as a box.
    void glyphs() {
        for (int font : {0, 3, 6}) {
            const int width = pixelFontCharWidth(font);
            const std::vector<quint32> box = renderText(QString(QChar(0x4E00)), font);
            QCOMPARE(int(box.size()), width);
            QVERIFY(usedRows(box) != 0);

            for (const QString &alphabet : {latin, cyrillic}) {
                std::set<std::vector<quint32>> drawings;
                for (QChar c : alphabet) {
                    const std::vector<quint32> glyph = renderText(QString(c), font);
                    const QString what = QString("U+%1 font %2").arg(c.unicode(), 4, 16).arg(font);
                    QVERIFY2(usedRows(glyph) != 0, qPrintable(what));
                    QVERIFY2(glyph != box, qPrintable(what));
                    if (c != QChar(0x2116))
                        QVERIFY2(int(glyph.size()) == width, qPrintable(what));
                    // No two characters of one alphabet look alike.
                    QVERIFY2(drawings.insert(glyph).second, qPrintable(what));
                }
            }
            // Letters that only sound alike are drawn differently in the two alphabets.
            for (auto [l, c] : {std::pair{u'R', u'Я'}, {u'N', u'И'}, {u'b', u'ь'}, {u'u', u'и'}})
                QVERIFY(renderText(QString(QChar(l)), font) != renderText(QString(QChar(c)), font));

            // Characters follow each other with one blank column; a space is a blank cell.
            const std::vector<quint32> space(size_t(width + 2), 0);
            QCOMPARE(renderText("Ж Z", font),
                     joined({renderText("Ж", font), space, renderText("Z", font)}));
            // A character outside the basic plane draws one box, not two.
            QCOMPARE(renderText(QString::fromUcs4(U"\U0001F600"), font), box);
        }
        QVERIFY(renderText("", 2).empty());
    }

    // Cells go left to right by column number, one blank column apart; empty cells take no room.
    // Rows stack top to bottom, each as tall as its tallest item; empty rows take no space. A logo
    // lands dot for dot, bottom-aligned beside a text in its row, without dots below itself.
    void layout() {
        const std::vector<quint32> logo = {0x0001, 0x8000, 0x0F0F, 0xFFFF, 0x1234};
        expectPicture({logoItem(1, 1, logo, 16)}, 2, logo);

        // Dots beyond the logo's height are not part of it.
        expectPicture({logoItem(2, 4, {0xFFFFFF, 0x1FF}, 8)}, 1, {0xFF, 0xFF});

        // Text in column 1 (7 dots), the logo in column 2 (16 dots): the row is 16 dots high and
        // the text sits on its bottom line.
        expectPicture({logoItem(1, 2, logo, 16), textItem(1, 1, "Hi", 0)}, 2,
                      joined({overlaid({{renderText("Hi", 0), 16 - 7}}), {0}, logo}));

        // A logo with no columns or no height draws nothing.
        QVERIFY(renderMark({logoItem(1, 1, {}, 16), logoItem(2, 1, {0xFF}, 0)}).columns.empty());

        expectPicture(
            {textItem(1, 7, "M", 1), textItem(1, 2, "11", 1), textItem(1, 3, "", 1),
             textItem(1, 5, "ЯЯЯ", 1)},
            2, joined({renderText("11", 1), {0}, renderText("ЯЯЯ", 1), {0}, renderText("M", 1)}));

        // Cells outside the 4 x 8 grid are not drawn.
        expectPicture({textItem(1, 9, "X", 0), textItem(0, 1, "X", 0), textItem(5, 1, "X", 0),
                       textItem(2, 0, "X", 0)},
                      0, {});

        // Row 2 is empty; row 3 has a tall and a short item, "c" on the bottom line beside the
        // taller "Б"; row 4 is a long short text.
        const int h0 = pixelFontHeight(0), h1 = pixelFontHeight(1);
        const std::vector<quint32> row3 =
            joined({renderText("Б", 1), {0}, overlaid({{renderText("c", 0), h1 - h0}})});
        expectPicture(
            {textItem(3, 2, "c", 0), textItem(1, 1, "A", 0), textItem(3, 1, "Б", 1),
             textItem(2, 1, "", 4), textItem(4, 1, "WWWW", 0)},
            (h0 + h1 + h0 + 7) / 8,
            overlaid({{renderText("A", 0), 0}, {row3, h0}, {renderText("WWWW", 0), h0 + h1}}));
    }

    // The band count is the picture's height in 8-dot bands, rounded up, a text as high as its font
    // even in low letters; an empty mark has none.
    void bandsFollowHeight() {
        struct Case {
            std::vector<RenderItem> items;
            int bands;
        };
        const std::vector<Case> cases = {
            {{textItem(1, 1, "x", 0)}, 1},                         // 7 dots
            {{logoItem(1, 1, {1}, 8)}, 1},                         // 8
            {{textItem(1, 1, "x", 1)}, 2},                         // 9
            {{textItem(1, 1, "x", 3)}, 2},                         // 16
            {{textItem(1, 1, "x", 3), textItem(2, 1, "x", 0)}, 3}, // 23
            {{textItem(2, 3, "x", 5)}, 3},                         // 24
            {{textItem(1, 1, "x", 5), textItem(4, 8, "x", 0)}, 4}, // 31
            {{textItem(1, 1, "x", 6)}, 4},                         // 32
            {{textItem(1, 1, " ", 2)}, 2},                         // blank but present
            {{}, 0},                                               // nothing at all
            {{textItem(1, 1, "", 6), textItem(3, 3, "", 0)}, 0},   // only empty texts
        };
        for (size_t i = 0; i < cases.size(); ++i) {
            const MarkPicture picture = renderMark(cases[i].items);
            QVERIFY2(picture.bands == cases[i].bands, qPrintable(QString("case %1").arg(i)));
            QVERIFY2(picture.columns.empty() == (cases[i].bands == 0),
                     qPrintable(QString("case %1").arg(i)));
        }
    }

    // The picture never exceeds 1280 columns or 32 dots, whatever the cells hold.
    void cutAtTheLimits() {
        // A long text: its first 1280 columns survive.
        const QString longText(300, QChar('W'));
        const std::vector<quint32> full = renderText(longText, 6);
        QVERIFY(full.size() > size_t(markMaxColumns));
        expectPicture({textItem(1, 1, longText, 6)}, 4,
                      std::vector<quint32>(full.begin(), full.begin() + markMaxColumns));

        // A second cell that starts beyond the limit is dropped; a wide logo is cut as well.
        const MarkPicture picture =
            renderMark({textItem(1, 1, longText, 0), textItem(1, 2, "X", 0),
                        logoItem(2, 1, std::vector<quint32>(2000, 0xFF), 8)});
        QCOMPARE(int(picture.columns.size()), markMaxColumns);
        QCOMPARE(picture.bands, 2);

        // Two tall rows: 24 + 16 dots. Only the top 8 dots of the second row fit.
        expectPicture({textItem(1, 1, "Ш", 5), textItem(2, 1, "Ш", 3)}, 4,
                      overlaid({{renderText("Ш", 5), 0}, {renderText("Ш", 3), 24}}));

        // Two full-height rows: the second is wholly below the picture and adds nothing.
        expectPicture({textItem(1, 1, "AB", 6), textItem(2, 1, "CDEFGH", 6)}, 4,
                      renderText("AB", 6));

        // A logo said to be taller than a column word holds is taken as 32 dots high.
        expectPicture({logoItem(1, 1, {0xFFFFFFFF, 0x80000001}, 40)}, 4, {0xFFFFFFFF, 0x80000001});
    }
};

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
