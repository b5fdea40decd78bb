#pragma once
#include <map>
#include <stdexcept>
#include <string>

// A control array: controls of one kind that share a name and differ by an
// item number, as in `Text2(5)`. Only the item numbers that exist are held.
template <class Control> class ControlArray {
public:
    Control* operator()(int item) const {
        auto found = items_.find(item);
        if (found == items_.end())
            throw std::out_of_range("no control item " + std::to_string(item));
        return found->second;
    }
    bool contains(int item) const { return items_.count(item) != 0; }
    void add(int item, Control* control) { items_[item] = control; }
    const std::map<int, Control*>& items() const { return items_; }

private:
    std::map<int, Control*> items_;
};
