#pragma once

#include <QGroupBox>
#include <QStringList>
#include <functional>

class QRadioButton;

// A captioned group of radio buttons whose ItemIndex may be -1 (none chosen). Setting ItemIndex
// from code holds it to -1..count-1 and runs OnClick only when the index really changes, as a
// user's choice does.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    std::function<void()> OnClick;

    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }

private:
    void Chosen(int index);
    void KeepTabOnChoice();

    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
};
