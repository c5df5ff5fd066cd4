#include "FragmentEditor.h"

#include "Hub.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

FragmentEditor::FragmentEditor(Hub &h, QWidget *f, const EditorWidgets &w,
                               std::function<void(Move)> moved)
    : hub(h), form(f), widgets(w), fields(h, w.value, w.change, w.font) {
    widgets.change->hide();
    if (const auto start = std::exchange(hub.mark().startCell, std::nullopt)) {
        widgets.row->setText(QString::number(start->first));
        widgets.column->setText(QString::number(start->second));
    }
    bindArrows(
        w.rowUp, w.rowDown, w.row, 1, [] { return kMarkRows; }, [moved] { moved(Move::Row); });
    bindArrows(
        w.columnUp, w.columnDown, w.column, 1, [] { return kMarkColumns; },
        [moved] { moved(Move::Column); });
    bindArrows(w.fontUp, w.fontDown, w.font, 0, [this] { return hub.fontCount() - 1; });
}

int FragmentEditor::row() const {
    return fieldNumber(widgets.row);
}

int FragmentEditor::column() const {
    return fieldNumber(widgets.column);
}

int FragmentEditor::font() const {
    return fieldNumber(widgets.font);
}

std::optional<CellFields::Shown> FragmentEditor::read(const CellRules &rules) {
    return fields.read(form, row(), column(), rules);
}

bool FragmentEditor::mayOverwrite(const QString &what) {
    if (!fields.changeBlocks())
        return true;
    hub.messages().error(form,
                         QStringLiteral("Select \"Change\" mode, if you want %1 insert").arg(what));
    hub.messages().beep();
    return false;
}

namespace {
// Watches a window until it first appears, then queues the step once and goes.
class FirstShow : public QObject {
public:
    FirstShow(QWidget *window, std::function<void()> s) : QObject(window), step(std::move(s)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            // The step runs from the event loop once the window is on the screen; a window
            // deleted before then runs nothing.
            QTimer::singleShot(0, watched, step);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> step;
};
} // namespace

void whenFirstShown(QWidget *window, std::function<void()> step) {
    new FirstShow(window, std::move(step));
}
