#include "lang/Translation.h"

#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/RadioGroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QSet>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <exception>

namespace vellora {

namespace {

constexpr int kMaxItem = 50;
const char *const kTagProperty = "tag";
const char *const kDataModuleProperty = "datamodule";
const char *const kKindProperty = "kind";

QList<QPointer<QObject>> &dataModules()
{
    static QList<QPointer<QObject>> modules;
    return modules;
}

TranslationHook &translationHook()
{
    static TranslationHook hook;
    return hook;
}

bool isComponent(const QObject *object)
{
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// A window of its own: a top-level widget that is not a pop-up menu.
bool isWindowComponent(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu *>(widget);
}

// Menus and menu bars are menu structure, not visual controls with hints.
bool isVisualControl(const QObject *object)
{
    return object->isWidgetType() && !qobject_cast<const QMenu *>(object) && !qobject_cast<const QMenuBar *>(object);
}

QTabWidget *tabWidgetOf(const QObject *page, int *index)
{
    const auto *widget = qobject_cast<const QWidget *>(page);
    if (!widget)
        return nullptr;
    auto *stack = qobject_cast<QStackedWidget *>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    if (!tabs)
        return nullptr;
    const int i = tabs->indexOf(const_cast<QWidget *>(widget));
    if (i < 0)
        return nullptr;
    *index = i;
    return tabs;
}

QString brToNewline(QString text) { return text.replace(QLatin1String("<BR>"), QLatin1String("\n")); }
QString newlineToBr(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("<BR>")).replace(QLatin1Char('\n'), QLatin1String("<BR>")); }

QString keyFor(const QString &window, const QString &owner, const QString &name)
{
    return QStringLiteral("FORM:") + window + QStringLiteral("-OWNER:") + owner + QStringLiteral("-CONTROL:") + name;
}

QString itemKey(const QString &prefix, int n) { return prefix + QStringLiteral("-ITEM") + QString::number(n); }

// Window name and owner name of a component from where it sits.
void contextOf(const QObject *object, QString *window, QString *owner)
{
    window->clear();
    owner->clear();
    if (isWindowComponent(object)) {
        *window = object->objectName();
        return;
    }
    for (const QObject *p = object->parent(); p; p = p->parent()) {
        if (IsDataModule(p))
            return;
        if (isWindowComponent(p)) {
            *window = p->objectName();
            *owner = *window;
            return;
        }
    }
}

void showPlainError(const QString &text)
{
    PlainMessage(QGuiApplication::applicationDisplayName(), text, PlainIcon::Error);
}

void replaceListEntries(QObject *component, const QString &prefix)
{
    const LanguageTable &table = CurrentLanguage();
    if (table.value(itemKey(prefix, 0)).isEmpty())
        return;
    QStringList entries;
    for (int n = 0; n <= kMaxItem; ++n) {
        const QString v = table.value(itemKey(prefix, n));
        if (!v.isEmpty())
            entries.append(v);
    }
    if (auto *combo = qobject_cast<QComboBox *>(component)) {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(entries);
        combo->setCurrentIndex(0);
    } else if (auto *list = qobject_cast<QListWidget *>(component)) {
        const QSignalBlocker block(list);
        list->clear();
        list->addItems(entries);
        list->setCurrentRow(0);
    }
}

void translateOne(QObject *component, const QString &windowName)
{
    if (!isComponent(component))
        return;
    QString window = windowName, owner;
    if (isWindowComponent(component)) {
        window = component->objectName();
    } else {
        QString derivedWindow;
        contextOf(component, &derivedWindow, &owner);
    }
    const QString prefix = keyFor(window, owner, component->objectName());
    const LanguageTable &table = CurrentLanguage();

    if (isVisualControl(component))
        static_cast<QWidget *>(component)->setToolTip(brToNewline(table.value(prefix + QStringLiteral("-HINT"))));
    if (Tag(component) == kKeepCaptionTag)
        return;

    const QString caption = table.value(prefix + QStringLiteral("-CAPTION"));
    switch (KindOf(component)) {
    case ComponentKind::None: break;
    case ComponentKind::Window: static_cast<QWidget *>(component)->setWindowTitle(caption); break;
    case ComponentKind::Label: static_cast<QLabel *>(component)->setText(brToNewline(caption)); break;
    case ComponentKind::StaticText: static_cast<QLabel *>(component)->setText(caption); break;
    case ComponentKind::RadioButton:
    case ComponentKind::CheckBox:
    case ComponentKind::Button: static_cast<QAbstractButton *>(component)->setText(caption); break;
    case ComponentKind::TabSheet: {
        int index = -1;
        if (QTabWidget *tabs = tabWidgetOf(component, &index))
            tabs->setTabText(index, caption);
        break;
    }
    case ComponentKind::MenuItem:
        if (auto *menu = qobject_cast<QMenu *>(component))
            menu->setTitle(caption);
        else if (auto *action = qobject_cast<QAction *>(component))
            action->setText(caption);
        break;
    case ComponentKind::GroupBox: static_cast<QGroupBox *>(component)->setTitle(caption); break;
    case ComponentKind::RadioGroup: {
        auto *group = static_cast<QGroupBox *>(component);
        group->setTitle(caption);
        if (!table.value(itemKey(prefix, 0)).isEmpty()) {
            const QList<QRadioButton *> buttons = RadioGroup::entriesOf(group);
            for (int n = 0; n <= kMaxItem && n < buttons.size(); ++n) {
                const QString v = table.value(itemKey(prefix, n));
                if (!v.isEmpty())
                    buttons.at(n)->setText(v);
            }
        }
        break;
    }
    case ComponentKind::ComboBox:
    case ComponentKind::ListBox: replaceListEntries(component, prefix); break;
    case ComponentKind::Panel: component->setProperty("caption", caption); break;
    }
    if (translationHook())
        translationHook()(component, prefix);
}

void walk(QObject *component, const QString &windowName)
{
    if (component->property("translate").isValid() && !component->property("translate").toBool())
        return;
    QString window = windowName;
    if (isWindowComponent(component))
        window = component->objectName();
    else if (IsDataModule(component))
        window.clear();
    try {
        translateOne(component, window);
    } catch (const std::exception &) {
        showPlainError(window + component->objectName());
    } catch (...) {
        showPlainError(window + component->objectName());
    }
    try {
        // A copy: a translation may add or remove children.
        const QObjectList children = component->children();
        for (QObject *child : children) {
            QString childWindow = window;
            if (isWindowComponent(child))
                childWindow = child->objectName();
            walk(child, childWindow);
        }
    } catch (...) {
        showPlainError(QStringLiteral("erm"));
    }
}

void collect(QObject *component, QList<TranslationKey> *keys)
{
    // Components the translation leaves alone look up no keys.
    if (component->property("translate").isValid() && !component->property("translate").toBool())
        return;
    if (isComponent(component)) {
        const QString prefix = KeyPrefix(component);
        if (isVisualControl(component))
            keys->append({prefix + QStringLiteral("-HINT"), newlineToBr(static_cast<QWidget *>(component)->toolTip())});
        if (Tag(component) != kKeepCaptionTag) {
            const QString captionKey = prefix + QStringLiteral("-CAPTION");
            switch (KindOf(component)) {
            case ComponentKind::None: break;
            case ComponentKind::Window: keys->append({captionKey, static_cast<QWidget *>(component)->windowTitle()}); break;
            case ComponentKind::Label: keys->append({captionKey, newlineToBr(static_cast<QLabel *>(component)->text())}); break;
            case ComponentKind::StaticText: keys->append({captionKey, static_cast<QLabel *>(component)->text()}); break;
            case ComponentKind::RadioButton:
            case ComponentKind::CheckBox:
            case ComponentKind::Button: keys->append({captionKey, static_cast<QAbstractButton *>(component)->text()}); break;
            case ComponentKind::TabSheet: {
                int index = -1;
                QTabWidget *tabs = tabWidgetOf(component, &index);
                keys->append({captionKey, tabs ? tabs->tabText(index) : QString()});
                break;
            }
            case ComponentKind::MenuItem:
                if (auto *menu = qobject_cast<QMenu *>(component))
                    keys->append({captionKey, menu->title()});
                else if (auto *action = qobject_cast<QAction *>(component))
                    keys->append({captionKey, action->text()});
                break;
            case ComponentKind::GroupBox: keys->append({captionKey, static_cast<QGroupBox *>(component)->title()}); break;
            case ComponentKind::RadioGroup: {
                auto *group = static_cast<QGroupBox *>(component);
                keys->append({captionKey, group->title()});
                const QList<QRadioButton *> buttons = RadioGroup::entriesOf(group);
                for (int n = 0; n <= kMaxItem && n < buttons.size(); ++n)
                    keys->append({itemKey(prefix, n), buttons.at(n)->text()});
                break;
            }
            case ComponentKind::ComboBox:
            case ComponentKind::ListBox: {
                QStringList entries;
                if (auto *combo = qobject_cast<QComboBox *>(component))
                    for (int i = 0; i < combo->count(); ++i)
                        entries.append(combo->itemText(i));
                if (auto *list = qobject_cast<QListWidget *>(component))
                    for (int i = 0; i < list->count(); ++i)
                        entries.append(list->item(i)->text());
                for (int n = 0; n <= kMaxItem && n < entries.size(); ++n)
                    keys->append({itemKey(prefix, n), entries.at(n)});
                break;
            }
            case ComponentKind::Panel: keys->append({captionKey, component->property("caption").toString()}); break;
            }
        }
    }
    for (QObject *child : component->children())
        collect(child, keys);
}

}  // namespace

void SetTag(QObject *object, int tag) { object->setProperty(kTagProperty, tag); }

int Tag(const QObject *object) { return object->property(kTagProperty).toInt(); }

void MarkDataModule(QObject *object)
{
    object->setProperty(kDataModuleProperty, true);
    for (const QPointer<QObject> &p : dataModules())
        if (p == object)
            return;
    dataModules().append(object);
}

bool IsDataModule(const QObject *object) { return object->property(kDataModuleProperty).toBool(); }

ComponentKind KindOf(const QObject *object)
{
    if (!isComponent(object))
        return ComponentKind::None;
    const QString kind = object->property(kKindProperty).toString().toLower();
    if (auto *action = qobject_cast<const QAction *>(object))
        return action->isSeparator() ? ComponentKind::None : ComponentKind::MenuItem;
    if (qobject_cast<const QMenu *>(object))
        return ComponentKind::MenuItem;
    if (isWindowComponent(object))
        return ComponentKind::Window;
    int index = -1;
    if (tabWidgetOf(object, &index))
        return ComponentKind::TabSheet;
    if (qobject_cast<const QLabel *>(object))
        return kind == QLatin1String("statictext") ? ComponentKind::StaticText : ComponentKind::Label;
    if (qobject_cast<const QRadioButton *>(object))
        return ComponentKind::RadioButton;
    if (qobject_cast<const QCheckBox *>(object))
        return ComponentKind::CheckBox;
    if (qobject_cast<const QAbstractButton *>(object))
        return ComponentKind::Button;
    if (qobject_cast<const QGroupBox *>(object))
        return kind == QLatin1String("radiogroup") ? ComponentKind::RadioGroup : ComponentKind::GroupBox;
    if (qobject_cast<const QComboBox *>(object))
        return ComponentKind::ComboBox;
    if (qobject_cast<const QListWidget *>(object))
        return ComponentKind::ListBox;
    if (kind == QLatin1String("panel") || (object->metaObject() == &QFrame::staticMetaObject))
        return ComponentKind::Panel;
    return ComponentKind::None;
}

QString WindowNameOf(const QObject *object)
{
    QString window, owner;
    contextOf(object, &window, &owner);
    return window;
}

QString OwnerNameOf(const QObject *object)
{
    QString window, owner;
    contextOf(object, &window, &owner);
    return owner;
}

QString KeyPrefix(const QObject *object)
{
    QString window, owner;
    contextOf(object, &window, &owner);
    return keyFor(window, owner, object->objectName());
}

void TranslateComponent(QObject *component, const QString &windowName)
{
    if (!component)
        return;
    QString window = windowName;
    if (window.isNull() && !isWindowComponent(component))
        window = WindowNameOf(component);
    walk(component, window);
}

void TranslateApplication()
{
    QSet<QObject *> roots;
    QList<QObject *> order;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->parent() == nullptr && !roots.contains(w)) {
            roots.insert(w);
            order.append(w);
        }
    }
    for (const QPointer<QObject> &module : dataModules()) {
        if (!module)
            continue;
        // Reached through its window when one holds it.
        bool held = false;
        for (QObject *p = module->parent(); p; p = p->parent())
            held = held || roots.contains(p);
        if (!held && !roots.contains(module.data())) {
            roots.insert(module.data());
            order.append(module.data());
        }
    }
    for (QObject *root : order) {
        walk(root, isWindowComponent(root) ? root->objectName() : QString());
    }
}

void SetTranslationHook(TranslationHook hook) { translationHook() = std::move(hook); }

QList<TranslationKey> CollectTranslationKeys(QObject *root)
{
    QList<TranslationKey> keys;
    if (root)
        collect(root, &keys);
    return keys;
}

QStringList TranslationKeys(QObject *root)
{
    QStringList keys;
    for (const TranslationKey &k : CollectTranslationKeys(root))
        keys.append(k.key);
    return keys;
}

QStringList MissingKeys(QObject *root, const LanguageTable &table)
{
    QStringList missing;
    for (const TranslationKey &k : CollectTranslationKeys(root))
        if (!k.text.isEmpty() && !table.contains(k.key) && !missing.contains(k.key))
            missing.append(k.key);
    return missing;
}

QString WriteSectionFromWindow(QObject *root)
{
    QString out;
    QSet<QString> written;
    for (const TranslationKey &k : CollectTranslationKeys(root)) {
        if (k.text.isEmpty() || written.contains(k.key.toCaseFolded()))
            continue;
        written.insert(k.key.toCaseFolded());
        out += k.key + QLatin1Char('=') + k.text + QLatin1Char('\n');
    }
    return out;
}

}  // namespace vellora
