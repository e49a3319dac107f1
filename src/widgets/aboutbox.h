#pragma once

#include <QDialog>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <memory>

namespace Ui {
class TAboutWnd;
}

// What the program's about window shows: the name, a picture and a web address. Execute
// builds a new window from them and shows it modally.
class TAboutBox : public QObject
{
    Q_OBJECT
public:
    explicit TAboutBox(QObject *owner = nullptr);

    QString AppName;
    QPixmap Picture;
    QString Url = defaultUrl();
    static QString defaultUrl();

    void Execute();
};

// The about window, built for one showing: its picture column widens the window, its texts
// are the same in every language.
class TAboutWnd : public QDialog
{
    Q_OBJECT
public:
    TAboutWnd(const TAboutBox &box, QWidget *parent = nullptr);
    ~TAboutWnd() override;

    Ui::TAboutWnd &ui() const { return *m_ui; }

    // "8.7 (Build: 0.0)" for the running program's version 8.7.0.0; empty without one.
    static QString GetVersionString();
    void FormCreate();
    void btnSysInfoClick();
    void lblUrlClick();

    // The system information viewers tried, the first one installed being started.
    static const QStringList &systemInformationPrograms();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::TAboutWnd> m_ui;
};
