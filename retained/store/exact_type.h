#pragma once
// Whether an object is of exactly the class named, not of a class derived from
// it: then its virtual operations are that class's own, and the store may take
// a shorter way to the same result (reading inputs in place, moving a report it
// gives up) where a derived class must see the copies its interface promises.

#include <typeinfo>

template <typename Class> bool exactly(const Class& object)
{
    return typeid(object) == typeid(Class);
}
