#pragma once

#include <QString>

// Gives a control its design name, by which captions and tests find it.
template <typename Object> Object* Named(Object* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
