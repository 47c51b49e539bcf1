#include "platform/RadioGroup.h"

#include "platform/ErrorGuard.h"

#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        // Auto-exclusive buttons keep one choice for the mouse, the keys and screen readers alike,
        // which see them as radio buttons; every way a button gets checked ends in toggled.
        auto* button = new QRadioButton(items[i], this);
        layout->addWidget(button);
        buttons_.push_back(button);
        connect(button, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                Chosen(i);
        });
    }
    KeepTabOnChoice();
}

void TRadioGroup::SetItemIndex(int index)
{
    index = std::clamp(index, -1, Count() - 1);
    if (index >= 0) {
        Button(index)->setChecked(true);
        return;
    }
    if (itemIndex_ < 0)
        return;
    // An auto-exclusive button refuses to clear itself.
    QRadioButton* checked = Button(itemIndex_);
    checked->setAutoExclusive(false);
    checked->setChecked(false);
    checked->setAutoExclusive(true);
    Chosen(-1);
}

void TRadioGroup::Chosen(int index)
{
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    KeepTabOnChoice();
    if (OnClick)
        Guarded(OnClick);
}

void TRadioGroup::KeepTabOnChoice()
{
    // Tab enters the group at its choice, where Space changes nothing; the arrows move within.
    const int stop = std::max(itemIndex_, 0);
    for (int i = 0; i < Count(); ++i)
        Button(i)->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}
