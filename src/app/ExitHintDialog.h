#pragma once
// The question asked for each modified document when the program closes.
#include <QDialog>
#include <QString>

class QLabel;

namespace clipvane {

class ExitHintDialog : public QDialog {
    Q_OBJECT
public:
    // Dialog results: the ids of the four buttons.
    enum Result { kYes = 1000, kNo = 1001, kSaveNone = 1002, kCancel = 1003 };

    explicit ExitHintDialog(QWidget* parent = nullptr);
    void SetDocumentName(const QString& name);
    QString Question() const;

private:
    QLabel* text_;
};

}  // namespace clipvane
