#include "settings/options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace vantuke {

namespace {

constexpr int kWidth = 236;
constexpr int kHeight = 177;

// A slider with one tick per position and a caption centred under each tick.
class TickCaptionSlider : public QWidget {
public:
    TickCaptionSlider(const QString& sliderName, const QStringList& captions,
                      const QString& firstLabelName, int firstLabelNumber, QWidget* parent)
        : QWidget(parent), slider_(new QSlider(Qt::Horizontal, this)) {
        slider_->setObjectName(sliderName);
        slider_->setRange(0, int(captions.size()) - 1);
        slider_->setTickPosition(QSlider::TicksBelow);
        slider_->setTickInterval(1);
        slider_->setPageStep(1);
        int number = firstLabelNumber;
        for (const QString& caption : captions) {
            auto* label = new QLabel(caption, this);
            label->setObjectName(firstLabelName + QString::number(number++));
            captions_.append(label);
        }
        setFocusProxy(slider_);
    }

    QSlider* Slider() const { return slider_; }

    QSize sizeHint() const override {
        return {slider_->sizeHint().width(), SliderHeight() + CaptionHeight()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent*) override {
        QStyleOptionSlider option;
        option.initFrom(slider_);
        option.orientation = Qt::Horizontal;
        option.minimum = slider_->minimum();
        option.maximum = slider_->maximum();
        option.tickPosition = slider_->tickPosition();
        const int handle = style()->pixelMetric(QStyle::PM_SliderLength, &option, slider_);
        // The slider is narrowed so that the outer captions, too, can stand centred under
        // their ticks.
        int widest = 0;
        for (QLabel* label : captions_) {
            label->adjustSize();
            widest = std::max(widest, label->width());
        }
        const int inset = std::max(0, (widest - handle + 1) / 2);
        const int span = std::max(handle, width() - 2 * inset);
        slider_->setGeometry(inset, 0, span, SliderHeight());
        for (int value = 0; value < captions_.size(); ++value) {
            QLabel* label = captions_[value];
            const int centre = inset + handle / 2 +
                               QStyle::sliderPositionFromValue(
                                   slider_->minimum(), slider_->maximum(), value, span - handle);
            label->move(centre - label->width() / 2, SliderHeight());
        }
    }

private:
    int SliderHeight() const { return slider_->sizeHint().height(); }
    int CaptionHeight() const {
        return captions_.isEmpty() ? 0 : captions_[0]->sizeHint().height();
    }

    QSlider* slider_;
    QList<QLabel*> captions_;
};

QGroupBox* MakeGroup(const QString& name, const QString& title, TickCaptionSlider* content,
                     QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(content);
    // The group's title names the slider for screen readers; no label stands in front of it.
    QString accessible = title;
    accessible.chop(1);
    content->Slider()->setAccessibleName(accessible);
    return group;
}

} // namespace

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Options"));

    // One caption per position: the extension's letter case, and the least number of digits.
    QStringList forms;
    QStringList digitCounts;
    for (int position = 0; position <= kLastOptionPosition; ++position) {
        forms << QLatin1String(kExtensionForms[position]);
        digitCounts << QString::number(position + 1);
    }
    auto* extension =
        new TickCaptionSlider(QStringLiteral("TrackBar1"), forms, QStringLiteral("Label"), 1, this);
    auto* digits = new TickCaptionSlider(QStringLiteral("TrackBar2"), digitCounts,
                                         QStringLiteral("Label"), 5, this);
    extensionFormat_ = extension->Slider();
    numberOfDigits_ = digits->Slider();

    eraseReadOnlyAttr_ = new QCheckBox(QStringLiteral("Erase R/O attrib. if possible"), this);
    eraseReadOnlyAttr_->setObjectName(QStringLiteral("CheckBox1"));
    keepUndoHistory_ = new QCheckBox(QStringLiteral("Keep undo history"), this);
    keepUndoHistory_->setObjectName(QStringLiteral("CheckBox2"));
    skipFailedFiles_ = new QCheckBox(QStringLiteral("Skip files that fail and go on"), this);
    skipFailedFiles_->setObjectName(QStringLiteral("CheckBox3"));
    updatePlaylists_ =
        new QCheckBox(QStringLiteral("Update playlists that list renamed files"), this);
    updatePlaylists_->setObjectName(QStringLiteral("CheckBox5"));

    // The code page of tag texts, by human name; the item's data is the page's name.
    auto* codePageLabel = new QLabel(QStringLiteral("Tag text code page:"), this);
    codePageLabel->setObjectName(QStringLiteral("Label9"));
    codePage_ = new QComboBox(this);
    codePage_->setObjectName(QStringLiteral("ComboBox1"));
    for (const CodePage* page : CodePages())
        codePage_->addItem(page->HumanName(), page->Name());
    codePage_->setMaxVisibleItems(12);
    codePageLabel->setBuddy(codePage_);
    guess_ = new QPushButton(QStringLiteral("Guess…"), this);
    guess_->setObjectName(QStringLiteral("Button1"));
    guess_->setToolTip(QStringLiteral("Guess the code page from the tags of the selected files"));
    guess_->setAutoDefault(false);
    connect(guess_, &QPushButton::clicked, this, &TForm4::GuessRequested);
    transliterate_ =
        new QCheckBox(QStringLiteral("Transliterate characters the code page lacks"), this);
    transliterate_->setObjectName(QStringLiteral("CheckBox4"));
    auto* codePageRow = new QHBoxLayout;
    codePageRow->addWidget(codePage_, 1);
    codePageRow->addWidget(guess_);

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("SpeedButton1"));
    ok->setFlat(true);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The last check box shares its row with "OK", so the dialog keeps its size.
    auto* okRow = new QHBoxLayout;
    okRow->addWidget(keepUndoHistory_);
    okRow->addStretch(1);
    okRow->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 3, 2, 3);
    layout->setSpacing(1);
    layout->addWidget(MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Format of extension:"),
                                extension, this));
    layout->addWidget(MakeGroup(QStringLiteral("GroupBox2"),
                                QStringLiteral("Number of digits when using %N:"), digits, this));
    layout->addWidget(eraseReadOnlyAttr_);
    layout->addWidget(skipFailedFiles_);
    layout->addWidget(updatePlaylists_);
    layout->addSpacing(4);
    layout->addWidget(codePageLabel);
    layout->addLayout(codePageRow);
    layout->addWidget(transliterate_);
    layout->addStretch(1);
    layout->addLayout(okRow);

    // Finishing in any way (OK, the close box, Esc) ends in done(), which emits finished().
    connect(this, &QDialog::finished, this, &TForm4::Closed);

    SetOptions(ProgramOptions{});
    // A larger system font must not cut the controls off, so the fixed size grows with it.
    setFixedSize(layout->minimumSize().expandedTo(QSize(kWidth, kHeight)));
}

ProgramOptions TForm4::Options() const {
    ProgramOptions options;
    options.extensionFormat = extensionFormat_->value();
    options.numberOfDigits = numberOfDigits_->value();
    options.eraseReadOnlyAttr = eraseReadOnlyAttr_->isChecked();
    options.keepUndoHistory = keepUndoHistory_->isChecked();
    options.skipFailedFiles = skipFailedFiles_->isChecked();
    options.codec.page = CodePages().value(codePage_->currentIndex(), &DefaultCodePage());
    options.codec.transliterate = transliterate_->isChecked();
    options.updatePlaylists = updatePlaylists_->isChecked();
    return options;
}

void TForm4::SetOptions(const ProgramOptions& options) {
    extensionFormat_->setValue(ClampOptionPosition(options.extensionFormat));
    numberOfDigits_->setValue(ClampOptionPosition(options.numberOfDigits));
    eraseReadOnlyAttr_->setChecked(options.eraseReadOnlyAttr);
    keepUndoHistory_->setChecked(options.keepUndoHistory);
    skipFailedFiles_->setChecked(options.skipFailedFiles);
    updatePlaylists_->setChecked(options.updatePlaylists);
    SetCodePage(options.codec.Page());
    transliterate_->setChecked(options.codec.transliterate);
}

void TForm4::SetCodePage(const CodePage& page) {
    codePage_->setCurrentIndex(int(CodePages().indexOf(&page)));
}

} // namespace vantuke
