#include "fake_main_form.h"

#include <QString>

#include <iomanip>

namespace fambridge {

void PrintTo(const LayoutFailure& failure, std::ostream* out) {
    *out << describe(failure).toStdString();
}

namespace testing {

void PrintTo(const Frame& frame, std::ostream* out) {
    const auto print = [out](std::optional<float> length) {
        if (length)
            *out << *length;
        else
            *out << "none";
    };
    *out << std::setprecision(9) << "(";
    print(frame.left);
    *out << ", ";
    print(frame.top);
    *out << ", ";
    print(frame.width);
    *out << ", ";
    print(frame.height);
    *out << ")";
}

bool FakeControl::assign(std::optional<float>& property, float value) {
    if (!property)
        return false;
    property = value;
    return true;
}

bool FakeControl::Move(float newLeft, float newTop, float newWidth, float newHeight) {
    if (!hasMove || !left || !top || !width || !height)
        return false;
    left = newLeft;
    top = newTop;
    width = newWidth;
    height = newHeight;
    ++moves;
    return true;
}

bool FakeControl::operator==(const FakeControl& other) const {
    return left == other.left && top == other.top && width == other.width && height == other.height &&
           fontSize == other.fontSize;
}

FakeControl& FakeMainForm::addControl(const std::string& name, FakeControl control, Listing listing) {
    auto owned = std::make_unique<FakeControl>(std::move(control));
    FakeControl* added = owned.get();
    m_owned.push_back(std::move(owned));
    if (listing == Listing::Listed)
        m_order.push_back(added);
    m_controls[name] = added;
    return *added;
}

FakeLine& FakeMainForm::addLine(const std::string& name, FakeLine line, Listing listing) {
    auto owned = std::make_unique<FakeLine>(line);
    FakeLine* added = owned.get();
    m_owned.push_back(std::move(owned));
    if (listing == Listing::Listed)
        m_order.push_back(added);
    m_lines[name] = added;
    return *added;
}

bool FakeMainForm::Move(float newLeft, float newTop, float newWidth, float newHeight) {
    if (!hasMove)
        return false;
    frame = {newLeft, newTop, frameSnap(newWidth), frameSnap(newHeight)};
    ++moves;
    return true;
}

ScaledControl* FakeMainForm::button(ButtonArray array, int index) {
    static const std::map<ButtonArray, std::string> names = {{ButtonArray::Import, "Import"},
                                                             {ButtonArray::Export, "Export"},
                                                             {ButtonArray::BrowseE, "BrowseE"},
                                                             {ButtonArray::BrowseS, "BrowseS"},
                                                             {ButtonArray::Exit, "Exit"}};
    const auto found = m_controls.find(names.at(array) + "(" + std::to_string(index) + ")");
    return found == m_controls.end() ? nullptr : found->second;
}

ScaledControl* FakeMainForm::line(SeparatorLine which) {
    static const std::map<SeparatorLine, std::string> names = {
        {SeparatorLine::Line1, "Line1"}, {SeparatorLine::Line2, "Line2"}, {SeparatorLine::Line3, "Line3"}};
    const auto found = m_lines.find(names.at(which));
    return found == m_lines.end() ? nullptr : found->second;
}

FakeMainForm::Snapshot FakeMainForm::snapshot() const {
    Snapshot snapshot{frame, {}, {}};
    for (const auto& [name, control] : m_controls)
        snapshot.controls.emplace(name, *control);
    for (const auto& [name, line] : m_lines)
        snapshot.lines.emplace(name, *line);
    return snapshot;
}

FakeControl boxControl(float left, float top, float width, float height, float fontSize) {
    FakeControl control;
    control.left = left;
    control.top = top;
    control.width = width;
    control.height = height;
    control.fontSize = fontSize;
    return control;
}

namespace {

enum class Kind { Box, ComboBox, Line, FileDialog };

struct DesignEntry {
    const char* name;
    Kind kind;
    // Left, Top, Width, Height; for a line X1, Y1, X2, Y2.
    float a, b, c, d;
    // One of the buttons the separator lines run between.
    bool rowButton = false;
};

const DesignEntry kDesignTable[] = {
    {"Import(0)", Kind::Box, 240, 240, 975, 375, true},
    {"FromGED(0)", Kind::Box, 1440, 360, 1575, 255},
    {"FromFilename(1)", Kind::Box, 3240, 360, 6700, 255},
    {"BrowseI(1)", Kind::Box, 10185, 240, 1095, 375},
    {"Line1", Kind::Line, 120, 840, 12720, 840},
    {"Export(1)", Kind::Box, 240, 1050, 975, 375, true},
    {"FromDB(1)", Kind::Box, 1440, 1170, 1575, 255},
    {"DBList", Kind::ComboBox, 3240, 1080, 3375, 315},
    {"ToGED(1)", Kind::Box, 1440, 1680, 1575, 255},
    {"ToFilename(0)", Kind::Box, 3240, 1680, 6700, 255},
    {"BrowseE(0)", Kind::Box, 10185, 1560, 1095, 375, true},
    {"Line2", Kind::Line, 120, 2160, 12720, 2160},
    {"Backup(1)", Kind::Box, 1440, 2520, 1575, 255},
    {"Backup(2)", Kind::Box, 3240, 2520, 6700, 255},
    {"BrowseS(2)", Kind::Box, 10185, 2400, 1095, 375, true},
    {"Line3", Kind::Line, 12720, 3000, 120, 3000},
    {"Exit(1)", Kind::Box, 240, 3240, 975, 375, true},
    {"Version", Kind::Box, 10500, 3360, 495, 255},
    {"SelectDialog", Kind::FileDialog, 9480, 3240, 0, 0},
};

void addDesignEntry(FakeMainForm& form, const DesignEntry& entry, Listing listing) {
    FakeControl control = boxControl(entry.a, entry.b, entry.c, entry.d);
    switch (entry.kind) {
    case Kind::Line:
        form.addLine(entry.name, FakeLine(entry.a, entry.b, entry.c, entry.d), listing);
        return;
    case Kind::ComboBox:
        control.comboBox = true;
        break;
    case Kind::FileDialog:
        control.width.reset();
        control.height.reset();
        control.fontSize.reset();
        break;
    case Kind::Box:
        break;
    }
    form.addControl(entry.name, control, listing);
}

} // namespace

FakeMainForm designMainForm() {
    FakeMainForm form;
    form.frame = kDesignFrame;
    for (const DesignEntry& entry : kDesignTable)
        addDesignEntry(form, entry, Listing::Listed);
    return form;
}

FakeMainForm unlistedMainForm() {
    FakeMainForm form;
    form.frame = kDesignFrame;
    for (const DesignEntry& entry : kDesignTable) {
        if (entry.rowButton || entry.kind == Kind::Line)
            addDesignEntry(form, entry, Listing::Unlisted);
    }
    return form;
}

FakeMainForm probeMainForm() {
    FakeMainForm form = unlistedMainForm();
    form.addControl("Probe", boxControl(1, 1, 1, 1, 1));
    return form;
}

} // namespace testing
} // namespace fambridge
