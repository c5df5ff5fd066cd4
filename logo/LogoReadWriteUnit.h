#pragma once
// The logo window: one logo slot at a time. In Load mode it turns the 1-bit picture file the main
// window chose into a logo, shows it enlarged and writes it into a slot under a name ("Load"). In
// Read mode it reads a slot ("Read" or the arrows), shows it enlarged with its name, and renames
// it, deletes it ("Clear") or saves it as a 1-bit bitmap. Made anew by the main window at every
// opening and shown modally; what it works on (the logo image, the mode, the zoom, the grid)
// lives in the main window's LogoShare. A read or a zoom redraws the window in place.

#include "Hub.h"
#include "LogoPicture.h"

#include <QDialog>
#include <optional>

namespace Ui {
class TLogoReadWriteForm;
}
class Hub;
struct LogoShare;

// Posted by a window whose picture was refused: to be closed.
inline constexpr WindowMessage kImageNotLoadOK{"ImageNotLoadOK"};

class TLogoReadWriteForm : public QDialog {
    Q_OBJECT

public:
    static constexpr char16_t kLowestName = 0x30; // names keep '0' and above
    static constexpr int kMaxCell = 64;           // screen pixels a dot at the closest zoom
    static constexpr int kReadAttempts = 2;       // a failed read is tried once more

    explicit TLogoReadWriteForm(Hub &hub, QWidget *parent = nullptr);
    ~TLogoReadWriteForm() override;

    void FormShow();
    void OKBtnClick();       // "Load" / "Read"
    void UpDown1Click();     // after an arrow has stepped the number
    void ToolButton4Click(); // zoom in
    void ToolButton9Click(); // zoom out
    void DrawGrids_Click();
    void Button1Click();  // "Clear"
    void BtRenameClick(); // "Rename"
    void BtSaveToFileClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    LogoShare &logo() const;
    bool readMode() const;
    DotOrder dotOrder() const;
    bool hasPicture() const; // a logo with dots is shown
    void loadPicture();
    void writeLoadedLogo(int number);
    void readSlot(int number);
    // The slot a write, rename or delete acts on: 0..255 as typed; otherwise a message.
    std::optional<int> writableSlot();
    // The logo image as it now is: the picture, "Col:…*Row:…", in Read mode with the name.
    void drawLogo(bool withName);
    void fitPicture();

    Ui::TLogoReadWriteForm *ui;
    Hub &hub;
};
