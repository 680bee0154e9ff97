#pragma once

#include "include/cef_base.h"

// Browsers are only ever created with the global context (NULL), so the
// interface has no methods here.
class CefRequestContext : public virtual CefBase {};
