#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The last statement chosen: a relation's Type, Variable, Comparative and Value; empty = not chosen.
extern QString ChosenType;
extern QString ChosenVariable;
extern QString ChosenOperation;
extern QString ChosenValue;

// The statement dialog: one relation chosen from lists, shown modally by the code editor. It counts
// only when closed with "OK".
class TVelmoraTaskResult : public QDialog {
    Q_OBJECT
public:
    explicit TVelmoraTaskResult(QWidget* parent = nullptr);

    QComboBox* ChooseVariable = nullptr;
    QComboBox* ChooseOperation = nullptr;
    QComboBox* ChooseValue = nullptr;
    QLineEdit* CustValue = nullptr;
    QPushButton* OkButton = nullptr;

    void FormShow(QObject* Sender);
    void ChooseVariableChange(QObject* Sender);
    void ChooseOperationChange(QObject* Sender);
    void ChooseValueChange(QObject* Sender);
    void CustValueChange(QObject* Sender);
    void OkButtonClick(QObject* Sender);

    // Shown modally, as a wait of the program.
    int exec() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
};

extern TVelmoraTaskResult* VelmoraTaskResult;
