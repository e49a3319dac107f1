#include "dbnavigator.h"

#include "handler.h"
#include "messages.h"
#include "table.h"

#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const std::array<const char *, 9> kButtonNames{"nbFirst", "nbPrior",  "nbNext",
                                               "nbLast",  "nbInsert", "nbDelete",
                                               "nbEdit",  "nbPost",   "nbCancel"};
// Glyphs drawn from text, so the buttons look the same on every desktop.
const std::array<const char16_t *, 9> kGlyphs{u"|◀", u"◀", u"▶", u"▶|", u"+",
                                              u"−",  u"▲", u"✔", u"✖"};

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kButtonNames[i]));
        button->setText(QString::fromUtf16(kGlyphs[i]));
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        const auto which = TNavigateBtn(i);
        connect(button, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        m_buttons[i] = button;
    }
    setCursor(Qt::PointingHandCursor);
    m_link.onDataChange = [this] { updateButtons(); };
    m_link.onStateChange = [this] { updateButtons(); };
    updateButtons();
}

void TDBNavigator::setDataSource(TDataSource *source)
{
    m_link.setDataSource(source);
    updateButtons();
}

void TDBNavigator::bindSources(const SourceResolver &resolve)
{
    setDataSource(resolve(m_sourceName));
}

void TDBNavigator::setVisibleButtons(const QStringList &names)
{
    m_visibleNames = names;
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setVisible(
            names.isEmpty() ||
            names.contains(QString::fromLatin1(kButtonNames[i]), Qt::CaseInsensitive));
    layoutButtons();
}

void TDBNavigator::setHints(const QStringList &hints)
{
    m_hints = hints;
    // The hint is also what a screen reader says for the button.
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const QString hint = i < size_t(hints.size()) ? hints.at(qsizetype(i)) : QString();
        m_buttons[i]->setToolTip(hint);
        m_buttons[i]->setAccessibleName(hint);
    }
}

QToolButton *TDBNavigator::button(TNavigateBtn which) const
{
    return m_buttons[size_t(which)];
}

void TDBNavigator::BtnClick(TNavigateBtn which)
{
    if (!runHandler([&] { act(which); }))
        return;
    if (OnClick)
        runHandler([&] { OnClick(*this, which); });
}

void TDBNavigator::act(TNavigateBtn which)
{
    TTable *table = m_link.DataSet();
    if (!table || !table->Active())
        return;
    switch (which) {
    case TNavigateBtn::First:
        table->First();
        break;
    case TNavigateBtn::Prior:
        table->Prior();
        break;
    case TNavigateBtn::Next:
        table->Next();
        break;
    case TNavigateBtn::Last:
        table->Last();
        break;
    case TNavigateBtn::Insert:
        table->Insert();
        break;
    case TNavigateBtn::Delete:
        if (Messages::confirmDelete())
            table->Delete();
        break;
    case TNavigateBtn::Edit:
        table->Edit();
        break;
    case TNavigateBtn::Post:
        table->Post();
        break;
    case TNavigateBtn::Cancel:
        table->Cancel();
        break;
    }
}

void TDBNavigator::updateButtons()
{
    TTable *table = m_link.DataSet();
    const bool active = table && table->Active();
    const bool editing = m_link.Editing();
    const bool empty = !active || table->IsEmpty();
    const bool atStart = !active || empty || (!editing && table->RecNo() <= 1);
    const bool atEnd = !active || empty || (!editing && table->RecNo() >= table->RecordCount());
    button(TNavigateBtn::First)->setEnabled(!atStart);
    button(TNavigateBtn::Prior)->setEnabled(!atStart);
    button(TNavigateBtn::Next)->setEnabled(!atEnd);
    button(TNavigateBtn::Last)->setEnabled(!atEnd);
    button(TNavigateBtn::Insert)->setEnabled(active);
    button(TNavigateBtn::Delete)->setEnabled(active && !empty);
    button(TNavigateBtn::Edit)->setEnabled(active && !editing);
    button(TNavigateBtn::Post)->setEnabled(editing);
    button(TNavigateBtn::Cancel)->setEnabled(editing);
}

void TDBNavigator::layoutButtons()
{
    std::vector<QToolButton *> shown;
    for (QToolButton *button : m_buttons)
        if (!button->isHidden())
            shown.push_back(button);
    if (shown.empty())
        return;
    const int count = int(shown.size());
    for (int i = 0; i < count; ++i) {
        const int left = width() * i / count;
        const int right = width() * (i + 1) / count;
        shown[size_t(i)]->setGeometry(left, 0, right - left, height());
    }
}

void TDBNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}
