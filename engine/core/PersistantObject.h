// Named engine objects that model files store, and the catalog that finds them by kind and name.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CArchiveReader;
class CArchiveWriter;
class CPersistantObjectCatalog;

enum EObjectKind : int {
    kKindGeometry = 5,
    kKindShape = 6,
};

class CPersistantObject {
public:
    std::string m_name;

    virtual ~CPersistantObject() = default;
    virtual int Kind() const = 0;
    // Model-file stream of the object; the default stores nothing beyond kind and name.
    virtual void Store(CArchiveWriter& ar) const;
    virtual void Load(CArchiveReader& ar);

    // The process-wide catalog, created on first use.
    static CPersistantObjectCatalog* DefaultCatalog();
    static void BindDefaultCatalog(CPersistantObjectCatalog* catalog);
    static uint32_t sfCurrentFileID;
};

class CPersistantObjectCatalog {
public:
    ~CPersistantObjectCatalog();
    // Takes ownership; the object is then found by its kind and name.
    void Adopt(CPersistantObject* object);
    CPersistantObject* LookupByName(int kind, const std::string& name) const;
    // Forgets the lookup maps; with deleteObjects the owned objects are freed too.
    void PurgeObjectMaps(bool deleteObjects);
    size_t Count() const { return m_owned.size(); }

private:
    std::map<std::pair<int, std::string>, CPersistantObject*> m_byName;
    std::vector<std::unique_ptr<CPersistantObject>> m_owned;
};
