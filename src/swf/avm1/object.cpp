#include "object.h"

namespace sky::swf::avm1 {

int Object::indexOf(const QString &key) const
{
    if (keys_.size() < indexFrom) {
        for (std::size_t i = keys_.size(); i-- > 0;)
            if (keys_[i] == key)
                return int(i);
        return -1;
    }
    return index_.value(key, -1);
}

Property *Object::find(const QString &key)
{
    const int at = indexOf(key);
    return at < 0 ? nullptr : &props_[std::size_t(at)];
}

const Property *Object::find(const QString &key) const
{
    const int at = indexOf(key);
    return at < 0 ? nullptr : &props_[std::size_t(at)];
}

Property &Object::add(const QString &key, const QString &name, const Value &value, int flags)
{
    props_.push_back({name, value, nullptr, nullptr, flags});
    keys_.push_back(key);
    if (keys_.size() == indexFrom) {
        index_.reserve(qsizetype(indexFrom) * 2);
        for (std::size_t i = 0; i < keys_.size(); ++i)
            index_.insert(keys_[i], int(i));
    } else if (keys_.size() > indexFrom) {
        index_.insert(key, int(keys_.size() - 1));
    }
    return props_.back();
}

bool Object::remove(const QString &key)
{
    const int at = indexOf(key);
    if (at < 0)
        return false;
    props_.erase(props_.begin() + at);
    keys_.erase(keys_.begin() + at);
    if (keys_.size() < indexFrom) {
        index_.clear();
    } else {
        index_.remove(key);
        for (auto &slot : index_)
            if (slot > at)
                --slot;
    }
    return true;
}

void Object::clearProperties()
{
    props_.clear();
    keys_.clear();
    index_.clear();
}

} // namespace sky::swf::avm1
