// The default catalog of named engine objects.
#include "engine/core/PersistantObject.h"

namespace {
CPersistantObjectCatalog* g_pDefaultCatalog = nullptr;
}

uint32_t CPersistantObject::sfCurrentFileID = 0;

CPersistantObjectCatalog* CPersistantObject::DefaultCatalog()
{
    if (!g_pDefaultCatalog) g_pDefaultCatalog = new CPersistantObjectCatalog;
    return g_pDefaultCatalog;
}

void CPersistantObject::BindDefaultCatalog(CPersistantObjectCatalog* catalog) { g_pDefaultCatalog = catalog; }

CPersistantObjectCatalog::~CPersistantObjectCatalog() = default;

void CPersistantObjectCatalog::Adopt(CPersistantObject* object)
{
    if (!object) return;
    m_owned.emplace_back(object);
    m_byName[{object->Kind(), object->m_name}] = object;
}

CPersistantObject* CPersistantObjectCatalog::LookupByName(int kind, const std::string& name) const
{
    auto it = m_byName.find({kind, name});
    return it == m_byName.end() ? nullptr : it->second;
}

void CPersistantObjectCatalog::PurgeObjectMaps(bool deleteObjects)
{
    m_byName.clear();
    if (deleteObjects) m_owned.clear();
}
