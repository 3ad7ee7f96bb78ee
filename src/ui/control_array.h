#pragma once

#include <map>

namespace fambridge {

// A group of controls addressed by a fixed index that is not always 0: Import(0), Export(1), Backup(2).
template <typename Control> class ControlArray {
public:
    void add(int index, Control* control) { m_members[index] = control; }
    // nullptr for an index the array does not have.
    Control* operator()(int index) const {
        const auto it = m_members.find(index);
        return it == m_members.end() ? nullptr : it->second;
    }

private:
    std::map<int, Control*> m_members;
};

} // namespace fambridge
