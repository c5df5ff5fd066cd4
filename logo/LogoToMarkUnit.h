#pragma once
// The logo placement window: steps through the printer's logo slots showing each logo's picture,
// size and name, picks a cell of the mark and shows what it holds, and places the logo there as a
// graphic fragment. It also renames a logo, deletes it and saves its picture as a bitmap file.
// Modal, made anew at every opening; the slot, row and column it shows live in the hub's logo
// share. Stepping to another slot redraws the window in place: the picture, size, number and name
// of the new slot, and the chosen cell read again.

#include <QDialog>
#include <optional>

namespace Ui {
class TLogoToMarkForm;
}
class Hub;

class TLogoToMarkForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCellReadAttempts = 50;
    static constexpr int kLastSlot = 255;
    static constexpr char16_t kLowestName = 0x30; // the name keeps '0' and above

    // Opens the window for `slot`, as the main window's logo-into-mark action and the logos list
    // do: the slot's preview is read first; after a failed read the error flag is set and "Logo
    // Read Error" shows over `over` instead. Returns whether the window was shown.
    static bool openFor(Hub &hub, QWidget *over, int slot);

    explicit TLogoToMarkForm(Hub &hub, QWidget *parent = nullptr);
    ~TLogoToMarkForm() override;

    // Shows the previewed slot (picture, size, number, name from a fresh names list) and the
    // chosen cell; runs when the window first appears and after every step to another slot.
    void FormShow();
    void Button7Click();    // "Show": the slot typed in the number field
    void LogoNumIncClick(); // the next slot
    void LogoNumDecClick(); // the slot before
    void OKBtnClick();      // "Paste"
    void BtRenameClick();
    void Button1Click(); // "Clear"
    void Button2Click(); // "Save"
    void Ch_Click(bool ticked);

private:
    enum class Step { Typed, Up, Down };
    void chooseSlot(Step step);
    void showLogo();
    void showCell();
    void setSlotControlsEnabled(bool on);
    // The slot number typed in the number field, when it is one of the printer's slots.
    std::optional<int> typedSlot() const;
    // The slot of the number field for an operation on it; beeps and says "Incorrect params
    // value" when there is none.
    std::optional<int> slotToUse();

    Ui::TLogoToMarkForm *ui;
    Hub &hub;
};
