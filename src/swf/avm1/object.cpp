#include "object.h"

namespace sky::swf::avm1 {

Property *Object::find(const QString &key)
{
    const auto it = index_.constFind(key);
    return it == index_.constEnd() ? nullptr : &props_[std::size_t(*it)];
}

const Property *Object::find(const QString &key) const
{
    const auto it = index_.constFind(key);
    return it == index_.constEnd() ? nullptr : &props_[std::size_t(*it)];
}

Property &Object::add(const QString &key, const QString &name, const Value &value, int flags)
{
    index_.insert(key, int(props_.size()));
    props_.push_back({name, value, nullptr, nullptr, flags});
    return props_.back();
}

bool Object::remove(const QString &key)
{
    const auto it = index_.constFind(key);
    if (it == index_.constEnd())
        return false;
    const int at = *it;
    index_.erase(it);
    props_.erase(props_.begin() + at);
    for (auto &slot : index_)
        if (slot > at)
            --slot;
    return true;
}

void Object::clearProperties()
{
    props_.clear();
    index_.clear();
}

} // namespace sky::swf::avm1
