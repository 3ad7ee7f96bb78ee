#pragma once

#include <QComboBox>

namespace fambridge {

// A drop-down list whose list part is made the first time it drops down. A plain QComboBox makes its
// popup list as soon as its font changes, and the scaler sets every control's font before the window is
// first shown, so the item view code would load at every start for a list that many users never open.
class DropDownList : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    // The list part is named as the list, for a screen reader that lands on it once it drops down.
    void showPopup() override;

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace fambridge
