#pragma once

#include <QString>

class QWidget;

namespace fambridge {

// Every message box FamBridge shows goes through here, titled with its owner's caption. Tests switch the
// boxes off: each is then recorded instead of shown and answered at once, so that no test waits on a
// modal window.
class MessageBox {
public:
    enum Button { Ok, Yes, No };

    static void warning(QWidget* owner, const QString& text);
    static void critical(QWidget* owner, const QString& text);
    // A question answered Yes or No; No is the default.
    static Button question(QWidget* owner, const QString& text);

    // From now on no box shows; each is answered with the answer set last (Ok or No when none is set, or
    // after it was used once) and its text kept for shownTexts().
    static void setNextAnswer(Button answer);
    static void answerWithoutShowing();
    static QStringList shownTexts();
    static void clearShownTexts();
};

} // namespace fambridge
