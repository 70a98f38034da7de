#pragma once

#include "batch/BatchOptions.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QRadioButton;

namespace vantuke {

// The "ID3v2>TAG" process page: "Copy" or "Leave" per field of the tag, "Only fill fields
// that are empty in the ID3v1 tag" and "Create an ID3v1 tag where there is none".
class Id3v2Page : public QWidget {
    Q_OBJECT
public:
    explicit Id3v2Page(QWidget* parent = nullptr);

    Id3v2ToTagOptions Options() const;
    void SetOptions(const Id3v2ToTagOptions& options);

private:
    std::array<QRadioButton*, kTagFillRows> copy_{};
    std::array<QRadioButton*, kTagFillRows> leave_{};
    QCheckBox* onlyEmpty_;
    QCheckBox* createTag_;
};

} // namespace vantuke
