#pragma once

#include "qlanguagesource.h"

#include <QFlags>
#include <QMetaObject>
#include <QObject>
#include <QStringList>

class QWidget;

// Attached to a language source, it translates something whenever the language changes.
class TQCustomLocalizer : public QObject
{
    Q_OBJECT
public:
    explicit TQCustomLocalizer(QObject *owner);
    ~TQCustomLocalizer() override;

    TQCustomLanguageSource *Source() const { return m_source; }
    void SetSource(TQCustomLanguageSource *source);
    TQCustomLanguageSource *PendingSource() const { return m_pendingSource; }
    bool ClearBeforeSave = false;
    TQLangChangingEvent OnLanguageChanging;
    TQNotifyEvent OnLanguageChanged;

    // The window that owns the localizer is being built: the source waits in PendingSource
    // until Loaded attaches it.
    void BeginLoading() { m_loading = true; }
    void Loaded();
    bool Loading() const { return m_loading; }

    virtual void Localize() = 0;
    virtual void Save() {}
    virtual void LanguageChanging(int newIndex, bool &allow);
    virtual void LanguageChanged();

private:
    void sourceDestroyed();

    TQCustomLanguageSource *m_source = nullptr;
    TQCustomLanguageSource *m_pendingSource = nullptr;
    QMetaObject::Connection m_removalNotice;
    bool m_loading = false;
    bool m_destroying = false;
};

enum class TQSaveOption
{
    soSaveEmpty = 0x1,
    soIgnoreDependencyIfEmpty = 0x2,
    soIncludeFrames = 0x4,
};
Q_DECLARE_FLAGS(TQSaveOptions, TQSaveOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TQSaveOptions)

// (sender, object, property name, new value, allow)
using TQPropProcessingEvent =
    std::function<void(QObject *, QObject *, const QString &, QString &, bool &)>;
// (sender, object, property name, value)
using TQPropProcessedEvent =
    std::function<void(QObject *, QObject *, const QString &, const QString &)>;

// Translates a window and every component it owns: the properties named in PropNames, by
// keys "Component.Property" in the window's section of the language file. Leaving the
// original texts records them in Originals; returning to them puts them back.
//
// Properties are reached by name through one table of our widget classes: "Caption" is a
// window's title, a tab's text, the text of a label, panel, button or radio button, a group
// box's or menu's title, a menu item's text; "Hint" a tool tip (a menu item's status tip);
// "Hints" a navigator's hint list; "Columns" a grid's column titles.
class TQFormLocalizer : public TQCustomLocalizer
{
    Q_OBJECT
public:
    // Refuses a missing owner and a second form localizer on the same window.
    explicit TQFormLocalizer(QWidget *owner);

    QWidget *window() const { return m_window; }

    const QStringList &PropNames() const { return m_propNames; }
    void setPropNames(const QStringList &names);
    const QStringList &Originals() const { return m_originals; }
    const QStringList &Dependencies() const { return m_dependencies; }
    void setDependencies(const QStringList &dependencies);
    const QStringList &Excluded() const { return m_excluded; }
    void setExcluded(const QStringList &excluded);
    TQSaveOptions SaveOptions;

    TQPropProcessingEvent OnPropertyLocalizing;
    TQPropProcessedEvent OnPropertyLocalized;
    TQPropProcessingEvent OnPropertySaving;
    TQPropProcessedEvent OnPropertySaved;

    void Localize() override;
    void Save() override;
    void LanguageChanging(int newIndex, bool &allow) override;
    void LanguageChanged() override;
    virtual void LocalizeSection(const QString &section);
    virtual void SaveSection(const QString &section);

    // The key parts: the component's name below the window (the window's own name for the
    // window), and that path with the property ("Caption" alone for the window).
    QString ComponentPath(QObject *component) const;
    QString PropertyKey(QObject *component, const QString &property) const;
    // The object and property a key names; no object when it names none.
    std::pair<QObject *, QString> ResolveKey(const QString &key) const;
    // The text of one property: a text, or a list as one comma text.
    QString ReadText(QObject *object, const QString &property) const;

protected:
    virtual void PropertyLocalizing(QObject *object, const QString &name, bool &allow,
                                    QString &newValue);
    virtual void PropertyLocalized(QObject *object, const QString &name, const QString &value);
    virtual void PropertySaving(QObject *object, const QString &name, bool &allow, QString &value);
    virtual void PropertySaved(QObject *object, const QString &name, const QString &value);

private:
    void CaptureOriginals();
    void captureInto(QStringList &target, const QStringList &names);
    void Walk(QStringList *target, const QString &section, const QStringList &names);
    void CollectTexts(QObject *object, QStringList *target, const QString &section,
                      const QStringList &names);
    void ApplyValue(QObject *object, const QString &name, const QStringList &names,
                    const QString &value);
    void RestoreOriginals(const QStringList &names);
    void ApplyCharsetAndBiDi(QWidget *root, int charSet, int biDiMode);

    QWidget *m_window;
    QStringList m_propNames{QStringLiteral("Caption"), QStringLiteral("Hint")};
    QStringList m_originals;
    QStringList m_dependencies;
    QStringList m_excluded;
};
