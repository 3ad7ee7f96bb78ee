#include "ui/messages.h"

#include "ui/design.h"

#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace fambridge {

namespace {

struct Answering {
    bool on = false;
    std::optional<MessageBox::Button> next;
    QStringList shown;
};

Answering& answering() {
    static Answering instance;
    return instance;
}

QString captionOf(QWidget* owner) {
    return owner ? owner->window()->windowTitle() : kMainFormCaption;
}

// The answer a test gave, once; otherwise the one a user gets by pressing Enter.
MessageBox::Button answered(const QString& text, MessageBox::Button byDefault) {
    Answering& state = answering();
    state.shown.append(text);
    const MessageBox::Button answer = state.next.value_or(byDefault);
    state.next.reset();
    return answer;
}

} // namespace

void MessageBox::warning(QWidget* owner, const QString& text) {
    if (answering().on)
        answered(text, Ok);
    else
        QMessageBox::warning(owner, captionOf(owner), text);
}

void MessageBox::critical(QWidget* owner, const QString& text) {
    if (answering().on)
        answered(text, Ok);
    else
        QMessageBox::critical(owner, captionOf(owner), text);
}

MessageBox::Button MessageBox::question(QWidget* owner, const QString& text) {
    if (answering().on)
        return answered(text, No);
    return QMessageBox::warning(owner, captionOf(owner), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes
               ? Yes
               : No;
}

void MessageBox::setNextAnswer(Button answer) {
    answerWithoutShowing();
    answering().next = answer;
}

void MessageBox::answerWithoutShowing() {
    answering().on = true;
}

QStringList MessageBox::shownTexts() {
    return answering().shown;
}

void MessageBox::clearShownTexts() {
    answering().shown.clear();
}

} // namespace fambridge
