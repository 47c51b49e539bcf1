#include "platform/RadioGroup.h"

#include "platform/ErrorGuard.h"

#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        // Exclusivity is kept here, so that no button at all may be chosen.
        button->setAutoExclusive(false);
        layout->addWidget(button);
        buttons_.push_back(button);
        connect(button, &QRadioButton::clicked, this, [this, i] { Choose(i); });
    }
}

void TRadioGroup::SetItemIndex(int index)
{
    Choose(std::clamp(index, -1, Count() - 1));
}

void TRadioGroup::Choose(int index)
{
    for (int i = 0; i < Count(); ++i) {
        const QSignalBlocker block(buttons_[static_cast<size_t>(i)]);
        buttons_[static_cast<size_t>(i)]->setChecked(i == index);
    }
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    if (OnClick)
        Guarded(OnClick);
}
