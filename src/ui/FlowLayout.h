#pragma once

#include <QLayout>
#include <QList>

namespace vantuke {

// Lays its items out left to right and starts a new row when the next one would not fit.
// When the items need more than one row, each row is stretched to the full width, so a
// wrapped tab bar reads as a block of rows rather than a ragged edge.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    // Stretches a single row to the full width as well.
    void SetJustifyOneRow(bool justify) { justifyOneRow_ = justify; }

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items inside rect (or only measures when apply is false); returns the
    // height used.
    int Arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    bool justifyOneRow_ = false;
};

} // namespace vantuke
