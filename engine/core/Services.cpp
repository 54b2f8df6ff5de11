// Our engine keeps no per-service state; binding only tracks the order for shutdown checks.
#include "engine/core/Services.h"

#include "engine/core/PersistantObject.h"

namespace {
int g_bound = 0;
}

void BindMathServices(void*) { ++g_bound; }
void BindPStoreServices(void*) { ++g_bound; }
void BindLayerServices(void*) { ++g_bound; }
void BindNodeServices(void*) { ++g_bound; }
void BindRunCoreServices(void*) { ++g_bound; }
void UnbindRunCoreServices(void*) { --g_bound; }
void UnbindNodeServices(void*) { --g_bound; }
void UnbindLayerServices(void*) { --g_bound; }
void UnbindMathServices(void*) { --g_bound; }

void UnbindPStoreServices(void*)
{
    // The persistent store owns the default catalog: release it with the service.
    delete CPersistantObject::DefaultCatalog();
    CPersistantObject::BindDefaultCatalog(nullptr);
    --g_bound;
}

int BoundServiceCount() { return g_bound; }
