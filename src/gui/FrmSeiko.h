#pragma once
// The timing export window (frmSeiko): appends the individual and relay entries of the entry file
// to csvcomp.csv and csvteam.csv in the transfer folder. It opens the entry file for reading
// itself; the entry window is closed behind it.
#include "timing/SeikoExport.h"

#include <QWidget>

#include <array>
#include <filesystem>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tolv {
class Prompt;
}

namespace tolv::gui {

class FrmSeiko : public QWidget {
    Q_OBJECT
public:
    FrmSeiko(const std::filesystem::path& entryFile, const std::filesystem::path& transferFolder,
             const std::filesystem::path& ctlFolder, tolv::Prompt& prompt, QWidget* parent = nullptr);

    // The choices of the window as the export takes them.
    timing::SeikoOptions options() const;
    int individualCount() const { return counts_[0]; }
    int relayCount() const { return counts_[1]; }

public slots:
    void appendIndividuals();
    void appendRelays();

private:
    void append(bool relays);

    std::filesystem::path entryFile_, transfer_, ctl_;
    tolv::Prompt& prompt_;
    std::array<int, 2> counts_{0, 0};
    std::array<QRadioButton*, 2> optShumoku_{};
    std::array<QCheckBox*, kStandardSlots> chkShu_{};
    std::array<QRadioButton*, 3> optKubun_{};
    std::array<QLineEdit*, timing::kClassRows> txtClass1_{}, txtClass2_{};
    std::array<QLabel*, 2> lblKensu_{};
};

} // namespace tolv::gui
