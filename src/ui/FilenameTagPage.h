#pragma once

#include "convert/FilenameToTag.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace vantuke {

class PresetBox;
class WrapTabs;

// The "Filename>TAG" process page: the sub-methods "Old Style" (separator, spaces, format
// of the file name) and "New Style" (template with presets), and "Write TAG only when is
// not present in file".
class FilenameTagPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kOldStyle = 0;
    static constexpr int kNewStyle = 1;

    explicit FilenameTagPage(QWidget* parent = nullptr);

    WrapTabs* SubMethods() const { return subMethods_; }
    PresetBox* NewStyleBox() const { return newStyle_; }

    // Whether "Old Style" is the sub-method shown.
    bool OldStyleChosen() const;
    OldStyleOptions OldStyle() const;
    void SetOldStyle(const OldStyleOptions& options);
    bool WriteOnlyWhenNotPresent() const;
    void SetWriteOnlyWhenNotPresent(bool on);

private:
    QWidget* MakeOldStylePage();
    QWidget* MakeNewStylePage();

    WrapTabs* subMethods_;
    QLineEdit* separator_ = nullptr;
    QCheckBox* clearSpaces_ = nullptr;
    QButtonGroup* format_ = nullptr;
    PresetBox* newStyle_ = nullptr;
    QCheckBox* writeOnlyWhenNotPresent_;
};

} // namespace vantuke
