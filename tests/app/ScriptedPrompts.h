#pragma once
// Prompts that answer from a script, for the app tests.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <deque>

#include "app/UserPrompts.h"
#include "support/QtTestApp.h"

namespace clipvane::test {

class ScriptedPrompts : public clipvane::UserPrompts {
public:
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<Answer> closeAnswers;
    std::deque<int> exitAnswers;
    QStringList errors;
    QStringList exitQuestions;  // document names asked about
    QStringList saveProposals;  // initial names of the save dialogs
    QStringList saveSuffixes;

    QStringList OpenPaths(QWidget*) override { return Pop(openAnswers, QStringList()); }
    QString SavePath(QWidget*, const QString& initialName, const QString& suffix) override {
        saveProposals.append(initialName);
        saveSuffixes.append(suffix);
        return Pop(saveAnswers, QString());
    }
    // Whether each save dialog chose "PNG with editable annotations" (no by
    // default), and whether it was offered first.
    std::deque<bool> editableAnswers;
    QList<bool> editableOffered;
    SaveChoice ChooseSavePath(QWidget* parent, const QString& initialName, const QString& suffix,
                              bool editable) override {
        editableOffered.append(editable);
        const QString path = SavePath(parent, initialName, suffix);
        return {path, Pop(editableAnswers, false)};
    }
    Answer AskSaveOnClose(QWidget*, const QString&) override { return Pop(closeAnswers, kCancel); }
    int AskExitHint(QWidget*, const QString& name) override {
        exitQuestions.append(name);
        return Pop(exitAnswers, 1003);
    }
    void ShowError(QWidget*, const QString& text) override { errors.append(text); }

private:
    template <typename T>
    static T Pop(std::deque<T>& q, T fallback) {
        if (q.empty()) return fallback;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

// Lets closed tabs finish closing.
inline void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace clipvane::test
