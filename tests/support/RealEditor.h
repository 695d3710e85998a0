#pragma once
// The editor factory that gives every instance the real editor.

#include "editor/BWUniClientEditor.h"

inline AEffEditor* makeRealEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }
