#include "Cell.h"

#include "FormUi.h"
#include "Hub.h"
#include "WireText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>

std::optional<FragmentReply> readCell(Hub &hub, QWidget *over, int row, int column, int attempts) {
    if (row > kMarkRows) {
        hub.messages().error(over, QStringLiteral("Maximum Row value=4"));
        return std::nullopt;
    }
    if (column > kMarkColumns) {
        hub.messages().error(over, QStringLiteral("Maximum Column value=8"));
        return std::nullopt;
    }
    const auto wait = hub.longWait(over, QStringLiteral("Reading the mark's cell…"), attempts);
    if (auto reply =
            readCellAttempts(hub, row, column, attempts, [&](int i) { return wait->carryOn(i); }))
        return reply;
    hub.messages().error(over, QStringLiteral("TextFragmentRead Error"));
    return std::nullopt;
}

std::optional<FragmentReply> readCellAttempts(Hub &hub, int row, int column, int attempts,
                                              const std::function<bool(int)> &carryOn) {
    return readFragmentAttempts(hub.fn(), row, column, attempts, carryOn);
}

CellFields::CellFields(Hub &h, QLineEdit *v, QCheckBox *c, QLineEdit *f)
    : hub(h), value(v), change(c), font(f) {
    keepRoomWhenHidden(change);
    QObject::connect(change, &QCheckBox::toggled, value, [this](bool ticked) {
        value->setEnabled(ticked);
        if (ticked) {
            value->clear();
            text.clear();
        }
    });
}

std::optional<CellFields::Shown> CellFields::read(QWidget *over, int row, int column,
                                                  const CellRules &rules, int attempts) {
    value->clear();
    const auto reply = readCell(hub, over, row, column, attempts);
    if (!reply)
        return std::nullopt;
    {
        const QSignalBlocker quiet(change); // hiding "Change" leaves the value field alone
        change->setChecked(false);
    }
    change->hide();
    value->setEnabled(true);

    const CellKind kind = classify(*reply, hub.fontCount(), rules.rule);
    if (font) {
        if (kind != CellKind::Graphic || rules.graphicFont == GraphicFont::FontByte)
            font->setText(QString::number(reply->font));
        else if (rules.graphicFont == GraphicFont::LastFont)
            font->setText(QString::number(hub.fontCount() - 1));
        else if (rules.graphicFont == GraphicFont::One)
            font->setText(QStringLiteral("1"));
    }
    // An empty cell holds nothing to protect: shown empty, and written without "Change".
    const bool empty = kind == CellKind::Text && reply->text.isEmpty();
    if (empty || (rules.own && rules.own(kind))) {
        value->setText(fromWire(reply->text));
    } else if (kind != CellKind::Other) {
        value->setText(cellLabel(kind));
        value->setEnabled(false);
        change->show();
    }
    text = value->text();
    return Shown{*reply, kind};
}

bool CellFields::changeBlocks() const {
    return !change->isHidden() && !change->isChecked();
}

int fieldNumber(const QLineEdit *field) {
    return field->text().trimmed().toInt();
}

int stepField(QLineEdit *field, int delta, int low, int high) {
    const int next = qBound(low, fieldNumber(field) + delta, qMax(low, high));
    field->setText(QString::number(next));
    return next;
}

namespace {
// Up and Down in a number field press its arrows.
class ArrowKeys : public QObject {
public:
    ArrowKeys(QLineEdit *field, QAbstractButton *u, QAbstractButton *d)
        : QObject(field), up(u), down(d) {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        QAbstractButton *arrow = key == Qt::Key_Up ? up : key == Qt::Key_Down ? down : nullptr;
        if (!arrow || !arrow->isEnabled())
            return false;
        arrow->click();
        return true;
    }

private:
    QAbstractButton *up, *down;
};
} // namespace

void bindArrows(QAbstractButton *up, QAbstractButton *down, QLineEdit *field, int low,
                std::function<int()> high, std::function<void()> moved,
                std::function<bool()> before) {
    new ArrowKeys(field, up, down);
    for (const auto &[button, delta] : {std::pair{up, 1}, std::pair{down, -1}}) {
        QObject::connect(button, &QAbstractButton::clicked, field, [=, d = delta] {
            if (before && !before())
                return;
            stepField(field, d, low, high());
            if (moved)
                moved();
        });
    }
}
