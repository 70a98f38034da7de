#pragma once

#include <QList>
#include <QSizePolicy>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QStackedWidget;

namespace vantuke {

class FlowLayout;

// A page control whose tabs wrap onto as many rows as the width needs, so every caption
// stays whole in a narrow window: checkable buttons in a flow layout over a stack of pages.
class WrapTabs : public QWidget {
    Q_OBJECT
public:
    explicit WrapTabs(QWidget* parent = nullptr);

    // Appends a page with its tab caption; returns the page's index.
    int AddPage(QWidget* page, const QString& caption);
    int Count() const;
    int CurrentIndex() const;
    // Shows the page; emits CurrentChanged when the page changes.
    void SetCurrentIndex(int index);
    // Shows the page offset places after the current one (before it when negative), going
    // round from the last page to the first and back.
    void ShowNeighbour(int offset);

    QString Caption(int index) const;
    QAbstractButton* TabButton(int index) const;
    QWidget* Page(int index) const;
    // The widget holding the tab buttons (its height grows with the number of rows).
    QWidget* TabBar() const { return bar_; }

signals:
    void CurrentChanged(int index);

private:
    void FitToPage(int index);
    void UpdateTabStops();

    QList<QSizePolicy> policies_;
    QWidget* bar_;
    FlowLayout* flow_;
    QButtonGroup* group_;
    QStackedWidget* stack_;
};

} // namespace vantuke
