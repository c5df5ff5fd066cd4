#pragma once
// The band on screen: every dot an 8 × 8 square on a grey grid, the selection as a blue frame,
// and the ruler above it with the column numbers. Both paint only what is exposed, so a band of
// 10280 columns costs no more to draw than the part of it in view.

#include <QWidget>

class LogoBand;

class BandView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCell = 8; // screen pixels a dot

    explicit BandView(QWidget *parent = nullptr);

    void setBand(const LogoBand *band);
    // Takes the size of the shown band (hidden when there is none) and draws it again.
    void bandChanged();
    // The picture cell under a point of the view (rows of the picture, the band's top row 16).
    static QPoint cellAt(QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const LogoBand *band = nullptr;
};

// Column numbers every 16 columns, following the horizontal scroll of the band.
class BandRuler : public QWidget {
    Q_OBJECT

public:
    static constexpr int kStep = 16;

    explicit BandRuler(QWidget *parent = nullptr);

    // x of the band's column 0 on the ruler when the band is not scrolled (the frame around it).
    void setOrigin(int x);
    // The band's horizontal scroll position, in pixels; moves what is drawn and draws only the
    // part that comes into view.
    void setOffset(int pixels);
    void setColumns(int columns); // columns shown; numbers stop there

protected:
    void paintEvent(QPaintEvent *event) override;
    QSize sizeHint() const override;

private:
    int origin = 0;
    int offset = 0;
    int columns = 0;
};
