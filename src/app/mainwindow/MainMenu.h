#pragma once
// The main menu. Its items belong to the data module TDataModule1 (not to a
// window), so their language keys have empty window and owner parts.
#include <QHash>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject *parent = nullptr);

    // Puts the menus into a window's menu bar.
    void attachTo(QMenuBar *bar);
    // The item of that component name (e.g. "Save1"); nullptr when unknown.
    QAction *item(const QString &name) const;
    QList<QAction *> items() const;

private:
    QAction *addMenu(const QString &name, const QString &caption);
    QAction *addItem(QAction *menu, const QString &name, const QString &caption, const QString &shortcut = {});
    void addSeparator(QAction *menu);

    QList<QAction *> m_menus;
    QHash<QString, QAction *> m_items;
    int m_separators = 0;
};
