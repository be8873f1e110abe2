#include "app/shell/HelpViewer.h"

#include "devices/shell/DesktopShell.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vellora {

namespace {

class HelpViewer : public QWidget {
public:
    HelpViewer() : QWidget(nullptr, Qt::Window)
    {
        setObjectName(QStringLiteral("HelpViewer"));
        // Its texts are the pages themselves.
        setProperty("translate", false);
        setAttribute(Qt::WA_DeleteOnClose);
        resize(820, 620);
        browser = new QTextBrowser(this);
        browser->setObjectName(QStringLiteral("HelpBrowser"));
        // Links are followed here: the program's pages in the viewer, the
        // web through the desktop.
        browser->setOpenLinks(false);
        connect(browser, &QTextBrowser::sourceChanged, this, [this] {
            const QString title = browser->documentTitle();
            setWindowTitle(title.isEmpty() ? browser->source().fileName() : title);
            browser->setAccessibleName(windowTitle());
        });
        connect(browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
            const QUrl url = browser->source().resolved(link);
            if (url.isLocalFile())
                browser->setSource(url);
            else
                OpenWithDesktop(url);
        });
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(browser);
    }
    QTextBrowser *browser = nullptr;
};

}  // namespace

QTextBrowser *ShowHelpPage(const QString &file)
{
    HelpViewer *viewer = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("HelpViewer"))
            viewer = static_cast<HelpViewer *>(w);
    if (!viewer)
        viewer = new HelpViewer;
    viewer->browser->setSource(QUrl::fromLocalFile(file));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer->browser;
}

}  // namespace vellora
