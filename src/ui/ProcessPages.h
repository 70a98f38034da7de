#pragma once

#include "batch/BatchOptions.h"

#include <QWidget>

class QCheckBox;

namespace vantuke {

class AdjustPage;
class FilenameTagPage;
class Id3v2Page;
class PresetBox;
class TagPage;
class WrapTabs;

// The process page control of step 2 ("PageControl1"): the seven process pages in process
// order, each with its options.
class ProcessPages : public QWidget {
    Q_OBJECT
public:
    explicit ProcessPages(QWidget* parent = nullptr);

    WrapTabs* Tabs() const { return tabs_; }
    Process CurrentProcess() const;

    PresetBox* TagToFilenameBox() const { return tagToFilename_; }
    FilenameTagPage* FilenameTag() const { return filenameTag_; }
    TagPage* Tag() const { return tag_; }
    QCheckBox* UnTagConfirmation() const { return untagConfirmation_; }
    PresetBox* ListBox() const { return list_; }
    QCheckBox* ListShowProcessing() const { return listShowProcessing_; }
    AdjustPage* Adjust() const { return adjust_; }
    Id3v2Page* Id3v2() const { return id3v2_; }

    // What a run takes from these pages beyond the stored settings: the chosen process and
    // sub-method, and the templates as their boxes show them now (typed or chosen).
    void CollectRunChoices(BatchOptions& options) const;

    // Never narrower than the page control's own minimum of 267 pixels.
    QSize minimumSizeHint() const override;

signals:
    // A preset list or the substitution table changed through its buttons.
    void StoredListChanged();

private:
    QWidget* MakeTagToFilenamePage();
    QWidget* MakeUnTagPage();
    QWidget* MakeListPage();

    WrapTabs* tabs_;
    PresetBox* tagToFilename_ = nullptr;
    FilenameTagPage* filenameTag_ = nullptr;
    TagPage* tag_ = nullptr;
    QCheckBox* untagConfirmation_ = nullptr;
    PresetBox* list_ = nullptr;
    QCheckBox* listShowProcessing_ = nullptr;
    AdjustPage* adjust_ = nullptr;
    Id3v2Page* id3v2_ = nullptr;
};

} // namespace vantuke
