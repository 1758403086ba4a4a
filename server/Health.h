#pragma once

#include "HttpFront.h"

// GET /health, without a session: 200 {"database":"ok"} when this server's database answers,
// 503 {"database":"<text>"} when it does not. Load balancers take a server out on anything but
// 200 (docs/deploy.md).
HttpRoute healthRoute();
