#pragma once

#include "Status.h"
#include "Variant.h"

#include <QList>

// A member of an automation object, by the number its type library gives it.
using DispId = qint32;

// How a member is called.
enum class DispatchKind
{
    Method,
    PropertyGet,
    PropertyPut
};

QString describeDispatchKind(DispatchKind kind);

// An automation object reached by member id, the way the converters drive the
// office suites. Arguments come in their natural order (the first argument first)
// and a property put passes the new value as its only argument. A failed call
// returns a Status whose code is one of the DISP_E_ values or E_NOTIMPL and whose
// message says what went wrong; a call that gives nothing returns VT_EMPTY.
//
// Objects are shared: the caller's references (VT_DISPATCH results) keep an object
// alive, and releasing them is dropping them.
class Dispatch
{
public:
    virtual ~Dispatch() = default;
    virtual Result<Variant> Invoke(DispId member, DispatchKind kind,
                                   const QList<Variant>& arguments) = 0;
};

// The failure of a call that names an unknown member or calls it the wrong way.
Status memberNotFound(DispId member, DispatchKind kind);
