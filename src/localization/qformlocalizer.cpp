#include "qformlocalizer.h"

#include "qlanguagefile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// --- the properties of our widget classes, by name ----------------------------------------

enum class Kind
{
    None,
    Text,
    List,
};

const QString kCaption = u"Caption"_s;
const QString kHint = u"Hint"_s;
const QString kHints = u"Hints"_s;
const QString kColumns = u"Columns"_s;

bool same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool holds(const QStringList &list, const QString &name)
{
    return list.contains(name, Qt::CaseInsensitive);
}

// A panel shows its caption in a label named after it ("Panel1Caption").
QLabel *panelCaption(QObject *object)
{
    if (qobject_cast<QLabel *>(object) || !qobject_cast<QFrame *>(object))
        return nullptr;
    return object->findChild<QLabel *>(object->objectName() + u"Caption"_s,
                                       Qt::FindDirectChildrenOnly);
}

bool isPanelCaption(QObject *object)
{
    QObject *parent = object->parent();
    return parent && qobject_cast<QLabel *>(object) &&
           object->objectName() == parent->objectName() + u"Caption"_s;
}

// The tab widget that shows `page` as one of its tabs.
QTabWidget *tabsOf(QObject *page)
{
    auto *widget = qobject_cast<QWidget *>(page);
    if (!widget || !qobject_cast<QStackedWidget *>(widget->parentWidget()))
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(widget->parentWidget()->parentWidget());
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

// A menu is a window of its own to Qt; everywhere else a window's caption is its title.
bool isWindow(QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    return widget && widget->isWindow() && !qobject_cast<QMenu *>(widget);
}

bool hasCaption(QObject *object)
{
    if (isWindow(object))
        return true;
    if (qobject_cast<QLabel *>(object))
        return !object->inherits("TDBText"); // a data text shows its field
    return tabsOf(object) || panelCaption(object) || qobject_cast<QAbstractButton *>(object) ||
           qobject_cast<QGroupBox *>(object) || qobject_cast<QMenu *>(object) ||
           qobject_cast<QAction *>(object);
}

Kind kindOf(QObject *object, const QString &name)
{
    if (!object)
        return Kind::None;
    if (same(name, kCaption))
        return hasCaption(object) ? Kind::Text : Kind::None;
    if (same(name, kHint))
        return object->isWidgetType() || qobject_cast<QAction *>(object) ? Kind::Text : Kind::None;
    if (same(name, kHints))
        return object->metaObject()->indexOfProperty("Hints") >= 0 ? Kind::List : Kind::None;
    if (same(name, kColumns))
        return object->inherits("TDBGrid") ? Kind::List : Kind::None;
    return Kind::None;
}

QString readText(QObject *object, const QString &name)
{
    if (same(name, kHint)) {
        if (auto *action = qobject_cast<QAction *>(object))
            return action->statusTip();
        return static_cast<QWidget *>(object)->toolTip();
    }
    if (isWindow(object))
        return static_cast<QWidget *>(object)->windowTitle();
    if (QTabWidget *tabs = tabsOf(object))
        return tabs->tabText(tabs->indexOf(static_cast<QWidget *>(object)));
    if (QLabel *caption = panelCaption(object))
        return caption->text();
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    if (auto *box = qobject_cast<QGroupBox *>(object))
        return box->title();
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->title();
    return static_cast<QAction *>(object)->text();
}

void writeText(QObject *object, const QString &name, const QString &text)
{
    if (same(name, kHint)) {
        if (auto *action = qobject_cast<QAction *>(object))
            action->setStatusTip(text);
        else
            static_cast<QWidget *>(object)->setToolTip(text);
        return;
    }
    if (isWindow(object))
        static_cast<QWidget *>(object)->setWindowTitle(text);
    else if (QTabWidget *tabs = tabsOf(object))
        tabs->setTabText(tabs->indexOf(static_cast<QWidget *>(object)), text);
    else if (QLabel *caption = panelCaption(object))
        caption->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(object))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(object))
        box->setTitle(text);
    else if (auto *menu = qobject_cast<QMenu *>(object))
        menu->setTitle(text);
    else
        static_cast<QAction *>(object)->setText(text);
}

const char *listProperty(const QString &name)
{
    return same(name, kHints) ? "Hints" : "ColumnTitles";
}

QStringList readList(QObject *object, const QString &name)
{
    return object->property(listProperty(name)).toStringList();
}

void writeList(QObject *object, const QString &name, const QStringList &items)
{
    object->setProperty(listProperty(name), items);
}

// The components a window owns, in order: every named widget and menu command below it,
// without Qt's own inner widgets and the labels that carry a panel's caption.
void collectComponents(QObject *parent, QList<QObject *> &components)
{
    for (QObject *child : parent->children()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(u"qt_"_s) &&
            (child->isWidgetType() || qobject_cast<QAction *>(child)) && !isPanelCaption(child))
            components.append(child);
        // A navigator's buttons are parts of it, not components of the window.
        if (!child->inherits("TDBNavigator"))
            collectComponents(child, components);
    }
}

QString trimmedOfControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

// --- TQCustomLocalizer -----------------------------------------------------------------------

TQCustomLocalizer::TQCustomLocalizer(QObject *owner) : QObject(owner) {}

TQCustomLocalizer::~TQCustomLocalizer()
{
    m_destroying = true;
    if (m_source) {
        QObject::disconnect(m_removalNotice);
        m_source->UnregisterLocalizer(this);
    }
}

void TQCustomLocalizer::Loaded()
{
    m_loading = false;
    SetSource(m_pendingSource);
}

void TQCustomLocalizer::SetSource(TQCustomLanguageSource *source)
{
    if (m_loading) {
        m_pendingSource = source;
        return;
    }
    if (source == m_source)
        return;
    if (m_source) {
        QObject::disconnect(m_removalNotice);
        m_source->UnregisterLocalizer(this);
    }
    const int newIndex = source ? source->ActiveLanguage() : -1;
    const int oldIndex = m_source ? m_source->ActiveLanguage() : -1;
    if (newIndex != oldIndex) {
        bool allow = true;
        LanguageChanging(newIndex, allow);
    }
    m_source = source;
    if (newIndex != oldIndex)
        LanguageChanged();
    if (m_source) {
        m_removalNotice =
            connect(m_source, &QObject::destroyed, this, [this] { sourceDestroyed(); });
        m_source->RegisterLocalizer(this);
    }
    m_pendingSource = nullptr;
}

void TQCustomLocalizer::sourceDestroyed()
{
    m_source = nullptr;
    if (!m_destroying)
        Localize();
}

void TQCustomLocalizer::LanguageChanging(int newIndex, bool &allow)
{
    if (OnLanguageChanging)
        OnLanguageChanging(this, newIndex, allow);
}

void TQCustomLocalizer::LanguageChanged()
{
    if (OnLanguageChanged)
        OnLanguageChanged(this);
}

// --- TQFormLocalizer ------------------------------------------------------------------------

TQFormLocalizer::TQFormLocalizer(QWidget *owner) : TQCustomLocalizer(owner), m_window(owner)
{
    if (!owner)
        throw EQLocalError("Owner is not specified!");
    const auto localizers = owner->findChildren<TQFormLocalizer *>(Qt::FindDirectChildrenOnly);
    if (localizers.size() > 1) {
        setParent(nullptr);
        throw EQLocalError(u"'%1' already contains instance of %2 class!"_s.arg(
            owner->objectName(), QString::fromLatin1(metaObject()->className())));
    }
}

QString TQFormLocalizer::ComponentPath(QObject *component) const
{
    bool owned = false;
    for (QObject *owner = component ? component->parent() : nullptr; owner && !owned;
         owner = owner->parent())
        owned = owner == m_window;
    // The window itself, or an object that is none of its components: the window's name.
    if (!owned)
        return m_window->objectName();
    // Every component belongs to the window directly: its path is its own name.
    return component->objectName();
}

QString TQFormLocalizer::PropertyKey(QObject *component, const QString &property) const
{
    if (component == m_window)
        return property;
    const QString path = ComponentPath(component);
    return path.isEmpty() ? QString() : path + u'.' + property;
}

QString TQFormLocalizer::ReadText(QObject *object, const QString &property) const
{
    const Kind kind = kindOf(object, property);
    if (PropertyKey(object, property).isEmpty() || kind == Kind::None)
        return {};
    if (kind == Kind::Text)
        return readText(object, property);
    return CommaText::write(readList(object, property));
}

void TQFormLocalizer::CollectTexts(QObject *object, QStringList *target, const QString &section,
                                   const QStringList &names)
{
    for (const QString &property : names) {
        QString name = property;
        QObject *holder = object;
        // A property whose text another property holds: follow the chain, dropping it if
        // it comes back to a name already reached.
        std::set<QString> reached{property.toLower()};
        QString followed = property;
        for (;;) {
            const qsizetype at = [&] {
                for (qsizetype i = 0; i < m_dependencies.size(); ++i)
                    if (same(m_dependencies[i].section(u'=', 0, 0), followed))
                        return i;
                return qsizetype(-1);
            }();
            if (at < 0)
                break;
            followed = m_dependencies[at].section(u'=', 1);
            if (!reached.insert(followed.toLower()).second) {
                followed = property;
                break;
            }
        }
        if (!same(followed, property)) {
            const QStringList parts = followed.split(u'.');
            for (qsizetype i = 0; i + 1 < parts.size() && holder; ++i)
                holder = holder->property(parts[i].toLatin1().constData()).value<QObject *>();
            if (holder) {
                name = parts.last();
            } else {
                holder = object;
                name = property;
            }
        }
        QString text = ReadText(holder, name);
        if (text.isEmpty() && !same(name, property) &&
            SaveOptions.testFlag(TQSaveOption::soIgnoreDependencyIfEmpty)) {
            holder = object;
            name = property;
            text = ReadText(object, property);
        }
        if (trimmedOfControls(text).isEmpty() && !SaveOptions.testFlag(TQSaveOption::soSaveEmpty))
            continue;
        const QString key = PropertyKey(holder, name);
        if (key.isEmpty())
            continue;
        if (target) {
            const QString entry = key + u'=' + TQLanguageFile::EncodeValue(text);
            qsizetype at = -1;
            for (qsizetype i = 0; i < target->size() && at < 0; ++i)
                if (same(target->at(i).section(u'=', 0, 0), key))
                    at = i;
            if (at >= 0)
                (*target)[at] = entry;
            else
                target->append(entry);
        } else if (Source()) {
            Source()->SetCurrentSection(section.isEmpty() ? m_window->objectName() : section);
            bool allow = true;
            PropertySaving(object, name, allow, text);
            if (!allow)
                break;
            Source()->WriteValue(key, text);
            PropertySaved(object, name, text);
        }
    }
}

void TQFormLocalizer::Walk(QStringList *target, const QString &section, const QStringList &names)
{
    if (!holds(m_excluded, ComponentPath(m_window)))
        CollectTexts(m_window, target, section, names);
    QList<QObject *> components;
    collectComponents(m_window, components);
    for (QObject *component : std::as_const(components))
        if (!holds(m_excluded, ComponentPath(component)))
            CollectTexts(component, target, section, names);
}

void TQFormLocalizer::CaptureOriginals()
{
    m_originals.clear();
    Walk(&m_originals, m_window->objectName(), m_propNames);
}

std::pair<QObject *, QString> TQFormLocalizer::ResolveKey(const QString &key) const
{
    if (!key.contains(u'.'))
        return {m_window, key};
    QString rest = key;
    QObject *holder = m_window;
    bool first = true;
    while (rest.contains(u'.') || rest.contains(u'[')) {
        const qsizetype dot = rest.indexOf(u'.');
        const qsizetype bracket = rest.indexOf(u'[');
        const qsizetype end = first || bracket < 0 ? dot
                              : dot < 0            ? bracket
                                                   : std::min(dot, bracket);
        if (end < 0)
            break;
        const QString part = rest.left(end);
        rest = rest.mid(end + 1);
        first = false;
        QObject *next = nullptr;
        if (holder == m_window) {
            QList<QObject *> components;
            collectComponents(m_window, components);
            for (QObject *component : std::as_const(components))
                if (!next && same(component->objectName(), part))
                    next = component;
        }
        // A property of the holder that holds an object; our windows have no collections.
        if (!next && holds(m_propNames, part))
            next = holder->property(part.toLatin1().constData()).value<QObject *>();
        if (!next)
            return {nullptr, rest};
        holder = next;
    }
    if (holder == m_window)
        return {nullptr, rest};
    return {holder, rest};
}

void TQFormLocalizer::ApplyValue(QObject *object, const QString &name, const QStringList &names,
                                 const QString &value)
{
    const Kind kind = kindOf(object, name);
    if (!object || !holds(names, name) || kind == Kind::None)
        return;
    bool allow = true;
    QString newValue = value;
    PropertyLocalizing(object, name, allow, newValue);
    if (!allow)
        return;
    if (kind == Kind::Text) {
        // A property whose text is empty is never given one.
        if (SaveOptions.testFlag(TQSaveOption::soSaveEmpty) || !readText(object, name).isEmpty())
            writeText(object, name, newValue);
    } else {
        writeList(object, name, CommaText::read(newValue));
    }
    PropertyLocalized(object, name, newValue);
}

void TQFormLocalizer::RestoreOriginals(const QStringList &names)
{
    if (names.isEmpty())
        return;
    qsizetype index = 0;
    while (index < m_originals.size()) {
        const QString entry = m_originals.at(index);
        const qsizetype equals = entry.indexOf(u'=');
        const auto [object, name] = ResolveKey(entry.left(equals));
        if (!holds(names, name)) {
            ++index;
            continue;
        }
        ApplyValue(object, name, names, TQLanguageFile::DecodeValue(entry.mid(equals + 1)));
        m_originals.removeAt(index);
    }
}

void TQFormLocalizer::ApplyCharsetAndBiDi(QWidget *root, int charSet, int biDiMode)
{
    // Qt has no character sets: the code is kept with each font's owner, which gets a font
    // of its own as a window does that no longer follows its parent's font.
    if (root == m_window)
        qApp->setProperty("FontCharSet", charSet);
    QList<QObject *> targets{root};
    collectComponents(root, targets);
    const Qt::LayoutDirection direction =
        biDiMode == bdLeftToRight ? Qt::LeftToRight : Qt::RightToLeft;
    for (QObject *target : std::as_const(targets)) {
        auto *widget = qobject_cast<QWidget *>(target);
        if (!widget)
            continue;
        QFont font = widget->font();
        font.setResolveMask(QFont::AllPropertiesResolved);
        widget->setFont(font);
        widget->setProperty("FontCharSet", charSet);
        widget->setLayoutDirection(direction);
    }
}

void TQFormLocalizer::Localize()
{
    LocalizeSection(m_window->objectName());
}

void TQFormLocalizer::LocalizeSection(const QString &section)
{
    TQCustomLanguageSource *source = Source();
    if (source && source->ActiveLanguage() >= 0 &&
        source->ActiveLanguage() < source->Languages().size()) {
        const int biDiMode = source->ActiveSettings()->BiDiMode();
        const int charSet = source->ActiveSettings()->FontCharSet();
        ApplyCharsetAndBiDi(m_window, charSet, biDiMode);
        source->SetCurrentSection(section);
        QStringList entries;
        source->ReadSection(entries);
        for (const QString &entry : std::as_const(entries)) {
            const qsizetype equals = entry.indexOf(u'=');
            const QString key = entry.left(equals);
            if (holds(m_excluded, key))
                continue;
            const auto [object, name] = ResolveKey(key);
            ApplyValue(object, name, m_propNames, entry.mid(equals + 1));
        }
        return;
    }
    ApplyCharsetAndBiDi(m_window, DEFAULT_CHARSET, bdLeftToRight);
    RestoreOriginals(m_propNames);
}

void TQFormLocalizer::Save()
{
    if (ClearBeforeSave && Source())
        Source()->ClearSection();
    SaveSection(m_window->objectName());
}

void TQFormLocalizer::SaveSection(const QString &section)
{
    if (Source() && Source()->ActiveLanguage() >= 0)
        Walk(nullptr, section, m_propNames);
}

void TQFormLocalizer::LanguageChanging(int newIndex, bool &allow)
{
    TQCustomLocalizer::LanguageChanging(newIndex, allow);
    if ((!Source() || Source()->ActiveLanguage() == -1) && newIndex >= 0)
        CaptureOriginals();
}

void TQFormLocalizer::LanguageChanged()
{
    if (!Source() || Source()->ActiveLanguage() == -1)
        RestoreOriginals(m_propNames);
    TQCustomLocalizer::LanguageChanged();
}

void TQFormLocalizer::setPropNames(const QStringList &names)
{
    if (!Loading() && Source() && Source()->ActiveLanguage() >= 0) {
        QStringList dropped, added;
        for (const QString &name : m_propNames)
            if (!holds(names, name))
                dropped.append(name);
        for (const QString &name : names)
            if (!holds(m_propNames, name))
                added.append(name);
        RestoreOriginals(dropped);
        Walk(&m_originals, m_window->objectName(), added);
    }
    m_propNames = names;
}

void TQFormLocalizer::setDependencies(const QStringList &dependencies)
{
    m_dependencies = dependencies;
    if (!Loading())
        Localize();
}

void TQFormLocalizer::setExcluded(const QStringList &excluded)
{
    m_excluded = excluded;
    if (!Loading())
        Localize();
}

void TQFormLocalizer::PropertyLocalizing(QObject *object, const QString &name, bool &allow,
                                         QString &newValue)
{
    if (OnPropertyLocalizing)
        OnPropertyLocalizing(this, object, name, newValue, allow);
}

void TQFormLocalizer::PropertyLocalized(QObject *object, const QString &name, const QString &value)
{
    if (OnPropertyLocalized)
        OnPropertyLocalized(this, object, name, value);
}

void TQFormLocalizer::PropertySaving(QObject *object, const QString &name, bool &allow,
                                     QString &value)
{
    if (OnPropertySaving)
        OnPropertySaving(this, object, name, value, allow);
}

void TQFormLocalizer::PropertySaved(QObject *object, const QString &name, const QString &value)
{
    if (OnPropertySaved)
        OnPropertySaved(this, object, name, value);
}
