// Queries of the host's named service objects through the service provider.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

#include <string>

namespace so {

// The provider's message for a failed query: the result-code table's text, with the system error
// the provider reports for 0x10009 / 0x1000A when there is one.
std::string ServiceProviderErrorMessage(SOResult code);

// Gives the service registered for `atom`; a failure raises ServiceObjectException with the
// provider's message.
Ref QueryServiceObject(SOAtom atom);

// Atom from the name, then the provider; a failure raises ServiceObjectException
// "Fail to query <name> service object: <provider message>".
Ref QueryServiceObject(const char* serviceName);

// The name behind an atom, for messages ("" for an unknown atom).
std::string AtomName(SOAtom atom);
// The atom of a name; raises ServiceObjectException when the atom library refuses it.
SOAtom AtomOf(const char* name);

} // namespace so
