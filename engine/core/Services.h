// Engine service binding: counted so that unbinding in reverse order frees what binding set up.
#pragma once

void BindMathServices(void* instance);
void BindPStoreServices(void* instance);
void BindLayerServices(void* instance);
void BindNodeServices(void* instance);
void BindRunCoreServices(void* instance);
void UnbindRunCoreServices(void* instance);
void UnbindNodeServices(void* instance);
void UnbindLayerServices(void* instance);
void UnbindPStoreServices(void* instance);
void UnbindMathServices(void* instance);
// How many services are bound now (0..5).
int BoundServiceCount();
