#pragma once
// The record navigator of the Database view: First, Prior, Next, Last,
// Insert and Delete over the data grid. The buttons draw their symbol; their
// hint (translated) is also their accessible name.
#include <QWidget>

class QToolButton;

namespace vellora {

class TExRxDBGrid;

class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete };

    explicit DBNavigator(QWidget *parent = nullptr);
    void setGrid(TExRxDBGrid *grid);
    QToolButton *button(Button which) const { return m_buttons[which]; }
    // Enables the buttons for the grid's current row and table.
    void updateButtons();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(Button which);
    QToolButton *m_buttons[6] = {};
    TExRxDBGrid *m_grid = nullptr;
};

}  // namespace vellora
