#pragma once
// The image editor: turns the clipboard's picture (typically a line of text from a word
// processor) into a band of dots 32 rows high, fitted to the chosen text height, shows it enlarged
// on a dot grid for correction dot by dot or by rectangular selections, saves it as a 1-bit
// bitmap, and hands it to the multi-logo dialog that writes it to the printer in slices.
// Made anew at every opening; it reads the clipboard while being made when the main window asks.

#include "Hub.h"
#include "LogoBand.h"

#include <QDialog>

namespace Ui {
class TClipBrdReadForm;
}
class Hub;
class QAction;
class QMenu;
class QMouseEvent;

// Posted by the two buttons that read the clipboard: a new editor, reading it as it opens.
inline constexpr WindowMessage kReadClpBoard{"ReadClpBoard_"};

class TClipBrdReadForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kScaledIndex = 24; // "32" in the "MaxTextHeight" list

    explicit TClipBrdReadForm(Hub &hub, QWidget *parent = nullptr);
    ~TClipBrdReadForm() override;

    LogoBand &band() { return picture; }
    // Shows the band as it now is (after a change made from outside the window).
    void showBand();
    bool editMode() const;

    void FormCreate();
    void ToolButton1Click(); // "Load MS Word fragment via ClipBoard"
    void Button1Click();     // "ReRead ClipBoard"
    void ToolButton6Click(); // "Picture Edit"
    void ToolButton5Click(); // "Image Load to PrinterMemory"
    void ToolButton7Click(); // "Save to File"
    // The pop-up menu over the band, opened at a point of `Image3`.
    void PopupMenu1Popup(QPoint pos);
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Clear1Click();
    void SavetoFile1Click();
    void PastefromFile1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void readClipboard();
    void rereadClipboard(int heightIndex);
    void Image3MouseDown(QMouseEvent *event);
    void Image3MouseMove(QMouseEvent *event);
    void Image3MouseUp(QMouseEvent *event);
    bool CBScaleKeyDown(QKeyEvent *event);
    void scrollAtEdge(QPoint pos);
    void saveBitmap(const QImage &bitmap);
    void redraw();

    Ui::TClipBrdReadForm *ui;
    Hub &hub;
    LogoBand picture;
    QString startDirectory;
    QMenu *PopupMenu1;
    QAction *Cut1, *Copy1, *Paste1, *Clear1, *SavetoFile1, *PastefromFile1;
    QPoint menuCell; // the picture cell where the pop-up menu was opened

    enum class Drag { None, Select, Move };
    Drag drag = Drag::None;
    QPoint anchor;     // the cell the drag started on
    QPoint moveOrigin; // the selection's top left corner when the move started
    QPoint refusedAt;  // the last refused target, beeped once
};
