#pragma once
// The connection indicator: a small circle at the top of the main window, green while ports open
// and the printer answers, red once a port does not open or the printer does not answer. What it
// shows is also its accessible description and its tool tip.

#include <QColor>
#include <QWidget>

class ConnectionIndicator : public QWidget {
public:
    explicit ConnectionIndicator(QWidget *parent);
    // Green when the printer answers, red when not; `printer` names the printer the windows
    // work on (empty: the port's).
    void tell(bool good, const QString &printer = {});

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour;
};
