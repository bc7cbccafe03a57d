#include "platform/rms/record_store.h"

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/log.h"
#include "host/fs/file.h"
#include "platform/io/device_path.h"
#include "platform/io/file.h"
#include "platform/rms/record_store_files.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"
#include "runtime/util/vector.h"

using namespace mrc;
using Store = javax_microedition_rms_RecordStore;
using Enumeration = javax_microedition_rms_RecordEnumerationImpl;

namespace {

std::u16string unitsOf(String* s) {
    return isNull(s) ? std::u16string() : std::u16string(s->chars, static_cast<std::size_t>(s->count()));
}

// A constant of the file names; a missing table is reported once per use and reads as empty.
std::u16string constantText(int32_t n) {
    StaticClass* statics = ApplicationImpl::getApplication()->staticClass;
    return unitsOf(statics ? statics->getStringConstant(n) : nullptr);
}

rms::StoreFileNames fileNames() {
    return {constantText(Store::kSeparatorConstant), constantText(Store::kPrefixConstant),
            constantText(Store::kSuffixConstant), constantText(Store::kRecordSeparatorConstant)};
}

void raiseInvalidId(int32_t id) { raise(kClass_javax_microedition_rms_InvalidRecordIDException, String::valueOfInt(id)); }

void raiseStoreFailure() {
    lib::raiseWithConstant(kClass_javax_microedition_rms_RecordStoreException, Store::kFailureMessageConstant);
}

bool fits(int64_t numBytes) { return numBytes <= javax_microedition_io_File::kAvailableSize; }

void raiseFull() {
    lib::raiseWithConstant(kClass_javax_microedition_rms_RecordStoreFullException, Store::kFullMessageConstant);
}

// The bytes a change stores: numBytes of data from offset, none for null data. False after
// raising for a range outside the array.
bool recordBytes(ByteArray* data, int32_t offset, int32_t numBytes, std::vector<uint8_t>& out) {
    out.clear();
    if (isNull(data)) return true;
    if (!lib::rangeOk(data, offset, numBytes)) return false;
    const auto* first = reinterpret_cast<const uint8_t*>(data->elements() + offset);
    out.assign(first, first + numBytes);
    return true;
}

int32_t clampToInt(int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

}  // namespace

// ---- opening --------------------------------------------------------------------------------

Store* Store::openRecordStore(String* name, bool createIfNecessary) {
    return openRecordStore(name, createIfNecessary, 0, true);
}

Store* Store::openRecordStore(String* name, bool createIfNecessary, int32_t, bool) {
    String* none = lib::constant(kNoNameConstant);
    return openRecordStore(name, none, none, createIfNecessary);
}

Store* Store::openRecordStore(String* name, String* vendorName, String* suiteName) {
    return openRecordStore(name, vendorName, suiteName, false);
}

Store* Store::openRecordStore(String* name, String* vendorName, String* suiteName, bool createIfNecessary) {
    if (lib::isNullReported(name)) return nullptr;
    std::u16string storePath = rms::storePath(fileNames(), unitsOf(name), unitsOf(vendorName), unitsOf(suiteName));
    String* pathString = newString(storePath.data(), static_cast<int32_t>(storePath.size()));
    if (!pathString) return nullptr;
    bool exists = host::fs::exists(io::devicePathOf(storePath));
    if (!exists && !createIfNecessary) {
        raise(kClass_javax_microedition_rms_RecordStoreNotFoundException, pathString);
        return nullptr;
    }
    Store* store = newObject<Store>();
    if (!store) return nullptr;
    store->RecordStore(pathString, exists);
    // A store refused for a full heap may have found no room for the exception either.
    return lib::exceptionPending() || isNull(store->records) ? nullptr : store;
}

ObjectArray* Store::listRecordStores() {
    return ApplicationImpl::getApplication()->objectManager->newObjectArray(kClass_String, 0);
}

void Store::deleteRecordStore(String* name) {
    Store* store = openRecordStore(name, false);
    if (!store) return;
    std::optional<rms::RecordStoreFiles> f;
    if (!store->files(f)) return;
    if (!f->destroy()) raiseStoreFailure();
}

void Store::RecordStore(String* storePath, bool exists) {
    records = java_util_Vector::newInstance();
    opened = 1;
    path = storePath;
    lastId = 0;
    // A save stopped by a crash leaves its temporary file: only this store's own are removed.
    std::optional<rms::RecordStoreFiles> own;
    if (files(own)) own->removeLeftovers();
    if (!exists) {
        if (javax_microedition_io_File::kAvailableSize < 0) raiseFull();
        return;
    }
    // What the index holds, as far as it is complete.
    rms::RecordStoreFiles index(io::devicePathOf(unitsOf(path)), {}, {});
    index.load();
    lastId = index.state().lastId;
    for (int32_t id : index.state().ids) {
        auto* boxed = newObject<java_lang_Integer>();
        if (!boxed || lib::isNullReported(records)) break;
        boxed->init(id);
        records->addElement(boxed);
    }
    // A list cut short by a full heap would be written back as the index at the next change,
    // dropping the records it missed: such a store is refused, and never writes.
    if (isNull(records) || records->elementCount != static_cast<int32_t>(index.state().ids.size())) {
        mrc_log("record store: no room for the %zu ids of %s", index.state().ids.size(), index.indexPath().c_str());
        records = nullptr;
        raiseStoreFailure();
    }
}

// ---- the store's files ----------------------------------------------------------------------

bool Store::files(std::optional<rms::RecordStoreFiles>& out) {
    if (lib::isNullReported(path) || lib::isNullReported(records)) return false;
    rms::StoreIndex state{lastId, {}};
    for (int32_t i = 0; i < records->elementCount; ++i) state.ids.push_back(idAt(i));
    out.emplace(io::devicePathOf(unitsOf(path)), io::devicePathOf(constantText(kRecordSeparatorConstant)),
                io::devicePathOf(constantText(kSuffixConstant)), std::move(state));
    return true;
}

int32_t Store::idAt(int32_t i) {
    auto* boxed = static_cast<java_lang_Integer*>(records->elementData->elements()[i]);
    return isNull(boxed) ? 0 : boxed->value;
}

int32_t Store::indexOfId(int32_t id) {
    if (isNull(records)) return -1;
    for (int32_t i = records->elementCount - 1; i >= 0; --i)
        if (idAt(i) == id) return i;
    return -1;
}

bool Store::checkListed(int32_t id) {
    if (indexOfId(id) >= 0) return true;
    raiseInvalidId(id);
    return false;
}

// ---- instance operations --------------------------------------------------------------------

void Store::closeRecordStore() {
    std::optional<rms::RecordStoreFiles> f;
    if (files(f) && !f->writeIndex()) raiseStoreFailure();
}

int32_t Store::getNumRecords() { return lib::isNullReported(records) ? 0 : records->size(); }

int32_t Store::getNextRecordID() {
    std::optional<rms::RecordStoreFiles> f;
    if (!files(f)) return 0;
    if (std::optional<int32_t> id = f->nextId()) return *id;
    raiseStoreFailure();
    return 0;
}

int32_t Store::getSize() {
    std::optional<rms::RecordStoreFiles> f;
    if (!files(f)) return 0;
    int64_t total = 0;
    for (int32_t id : f->state().ids) total += f->recordSize(id).value_or(0);
    return clampToInt(total);
}

int32_t Store::getRecordSize(int32_t id) {
    std::optional<rms::RecordStoreFiles> f;
    if (!checkListed(id) || !files(f)) return 0;
    return clampToInt(f->recordSize(id).value_or(0));
}

int32_t Store::addRecord(ByteArray* data, int32_t offset, int32_t numBytes) {
    if (!fits(numBytes)) {
        raiseFull();
        return 0;
    }
    std::vector<uint8_t> bytes;
    if (!recordBytes(data, offset, numBytes, bytes)) return 0;
    // Everything the object needs is allocated first, so that a record on disk is always listed.
    auto* boxed = newObject<java_lang_Integer>();
    if (!boxed || lib::isNullReported(records)) return 0;
    records->ensureCapacity(records->elementCount + 1);
    std::optional<rms::RecordStoreFiles> f;
    if (!files(f)) return 0;
    std::optional<int32_t> id = f->add(bytes);
    if (!id) {
        raiseStoreFailure();
        return 0;
    }
    lastId = *id;
    boxed->init(*id);
    records->addElement(boxed);
    return *id;
}

void Store::setRecord(int32_t id, ByteArray* newData, int32_t offset, int32_t numBytes) {
    if (!checkListed(id)) return;
    if (!fits(int64_t(numBytes) - getRecordSize(id))) {
        raiseFull();
        return;
    }
    std::vector<uint8_t> bytes;
    std::optional<rms::RecordStoreFiles> f;
    if (!recordBytes(newData, offset, numBytes, bytes) || !files(f)) return;
    if (f->set(id, bytes) != rms::RecordStatus::Ok) raiseStoreFailure();
}

void Store::deleteRecord(int32_t id) {
    int32_t at = indexOfId(id);
    std::optional<rms::RecordStoreFiles> f;
    if (at < 0 || !files(f)) return;
    // A failed write is traced by the files; the record then stays, on disk and here.
    if (f->remove(id)) records->removeElementAt(at);
    else raiseStoreFailure();
}

ByteArray* Store::getRecord(int32_t id) {
    std::optional<rms::RecordStoreFiles> f;
    if (!checkListed(id) || !files(f)) return nullptr;
    std::optional<std::vector<uint8_t>> bytes = f->read(id);
    if (!bytes) return nullptr;
    ByteArray* out = ApplicationImpl::getApplication()->objectManager->newByteArray(static_cast<int32_t>(bytes->size()));
    if (isNull(out)) return nullptr;
    if (!bytes->empty()) std::memcpy(out->elements(), bytes->data(), bytes->size());
    return out;
}

int32_t Store::getRecord(int32_t id, ByteArray* buffer, int32_t offset) {
    std::optional<rms::RecordStoreFiles> f;
    if (!checkListed(id) || !files(f)) return 0;
    std::vector<uint8_t> bytes = f->read(id).value_or(std::vector<uint8_t>{});
    if (bytes.empty()) return 0;
    if (lib::isNullReported(buffer)) return 0;
    if (offset < 0 || int64_t(offset) + static_cast<int64_t>(bytes.size()) > buffer->length) {
        lib::raiseArrayIndex(offset < 0 ? offset : buffer->length);
        return 0;
    }
    std::memcpy(buffer->elements() + offset, bytes.data(), bytes.size());
    return static_cast<int32_t>(bytes.size());
}

Enumeration* Store::enumerateRecords(Object*, Object*, bool) { return Enumeration::newInstance(this); }

// ---- javax_microedition_rms_RecordEnumerationImpl -------------------------------------------

Enumeration* Enumeration::newInstance(Store* store) {
    auto* e = newObject<Enumeration>();
    if (e) e->RecordEnumerationImpl(store);
    return e;
}

void Enumeration::RecordEnumerationImpl(Store* owner) {
    store = owner;
    cursor = 0;
}

void* Enumeration::getInterface(int32_t interfaceId) {
    if (interfaceId == kClass_javax_microedition_rms_RecordEnumeration)
        return static_cast<javax_microedition_rms_RecordEnumeration*>(this);
    return Object::getInterface(interfaceId);
}

int32_t Enumeration::numRecords() { return lib::isNullReported(store) ? 0 : store->getNumRecords(); }

void Enumeration::raiseBadCursor() {
    String* number = String::valueOfInt(cursor);
    String* prefix = lib::constant(1);
    raise(kClass_javax_microedition_rms_InvalidRecordIDException, prefix && number ? prefix->concat(number) : number);
}

bool Enumeration::idAtCursor(int32_t& id) {
    if (cursor < 0 || cursor >= numRecords()) {
        raiseBadCursor();
        return false;
    }
    id = store->idAt(cursor);
    return true;
}

bool Enumeration::step(int32_t delta, int32_t& id, ByteArray** record) {
    if (!idAtCursor(id)) return false;
    if (record) {
        *record = store->getRecord(id);
        if (lib::exceptionPending()) return false;
    }
    cursor += delta;
    return true;
}

ByteArray* Enumeration::nextRecord() {
    int32_t id = 0;
    ByteArray* record = nullptr;
    return step(1, id, &record) ? record : nullptr;
}

int32_t Enumeration::nextRecordId() {
    int32_t id = 0;
    return step(1, id, nullptr) ? id : 0;
}

ByteArray* Enumeration::previousRecord() {
    int32_t id = 0;
    ByteArray* record = nullptr;
    return step(-1, id, &record) ? record : nullptr;
}

int32_t Enumeration::previousRecordId() {
    int32_t id = 0;
    return step(-1, id, nullptr) ? id : 0;
}

bool Enumeration::hasNextElement() { return cursor < numRecords(); }

bool Enumeration::hasPreviousElement() { return cursor > 0; }
