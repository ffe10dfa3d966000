#pragma once

#include "Dispatch.h"

#include <QString>

#include <memory>

// The object an automation call gave, or nullptr with the reason in failure. The
// result is consumed, so that the caller's reference is the only one left.
// serverName says who answered in the message ("the word processor", ...).
std::shared_ptr<Dispatch> ObjectFrom(Result<Variant> result, QString& failure,
                                     const QString& serverName);
