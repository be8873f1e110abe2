#pragma once
// The capture setup dialog: camera or scanner as the capture window's
// source, the camera's format, picture controls and display, and the
// scanner to use. It keeps no state of its own: everything it changes is
// the capture window's.
#include <QDialog>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTabBar;
class TImageCapture;

class Tcapsetup : public QDialog {
    Q_OBJECT
public:
    enum Tab { VideoTab = 0, TwainTab = 1 };

    explicit Tcapsetup(TImageCapture *capture, QWidget *parent = nullptr);

    // Shows the dialog modally for the capture window.
    int ShowSetup();

    // ---- commands ----
    void VFWdrvlistChange();
    void TabControl1Change();
    // Runs the camera's format, source (picture controls) or display
    // dialog. Each dialog can be replaced for tests: it gets the dialog
    // widget, and returns whether the operator pressed OK.
    void VFWFormatClick();
    void VFWSourceClick();
    void VFWDisplayClick();
    void twsetsourceClick();
    void Button1Click();
    void Button2Click();

    // Runs a modal driver dialog; tests answer it instead of the operator.
    using DialogRunner = std::function<bool(QDialog *)>;
    static void SetDialogRunner(DialogRunner runner);

    QTabBar *tabControl() const { return m_tabs; }
    QComboBox *driverList() const { return m_drivers; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setTab(int tab);
    void afterDriverDialog(bool succeeded);
    void translateTabs();

    TImageCapture *m_capture;
    QTabBar *m_tabs = nullptr;
    QFrame *m_panel1 = nullptr;
    QFrame *m_panel2 = nullptr;
    QFrame *m_panel3 = nullptr;
    QComboBox *m_drivers = nullptr;
    QPushButton *m_format = nullptr;
    QPushButton *m_source = nullptr;
    QPushButton *m_display = nullptr;
    QPushButton *m_twsetsource = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
