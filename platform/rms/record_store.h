// javax.microedition.rms: record stores as an index file and one file per record in the install
// folder (see record_store_files.h for the files and their atomic replacement).
//
// A store object holds its path, the record ids in the order they were added and the last id
// given out; every change writes its files at once. A change whose files cannot be written raises
// javax_microedition_rms_RecordStoreException and leaves the store as it was, on disk and in the
// object. Failures are raised as the pending exception.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/arrays.h"

class String;
class java_util_Vector;
class javax_microedition_rms_RecordEnumerationImpl;

namespace mrc::rms {
class RecordStoreFiles;
}

class javax_microedition_rms_RecordStore : public Object {
public:
    MRC_CLASS(javax_microedition_rms_RecordStore, Object);
    MRC_REF_FIELDS(&javax_microedition_rms_RecordStore::path, &javax_microedition_rms_RecordStore::records);

    // String constants of the file names and messages.
    static constexpr int32_t kNoNameConstant = 1;  // vendor and suite of the short opens
    static constexpr int32_t kFullMessageConstant = 166;
    static constexpr int32_t kSeparatorConstant = 167;
    static constexpr int32_t kPrefixConstant = 168;
    static constexpr int32_t kSuffixConstant = 169;
    static constexpr int32_t kFailureMessageConstant = 170;
    static constexpr int32_t kRecordSeparatorConstant = 171;

    // Opens a store: javax_microedition_rms_RecordStoreNotFoundException (message: the store
    // path) when its index file does not exist and createIfNecessary is false. A new store
    // reaches the disk at its first change or close. authmode and writable are not used.
    static javax_microedition_rms_RecordStore* openRecordStore(String* name, bool createIfNecessary);
    static javax_microedition_rms_RecordStore* openRecordStore(String* name, bool createIfNecessary, int32_t authmode,
                                                               bool writable);
    static javax_microedition_rms_RecordStore* openRecordStore(String* name, String* vendorName, String* suiteName);
    static javax_microedition_rms_RecordStore* openRecordStore(String* name, String* vendorName, String* suiteName,
                                                               bool createIfNecessary);
    // The folder is not listed: always an empty array.
    static ObjectArray* listRecordStores();
    // Deletes every record from the last to the first, then empties the index file (no file is
    // removed): the name opens again as an empty store whose ids start at 1.
    static void deleteRecordStore(String* name);

    // The constructor: the records of the index file when it exists.
    void RecordStore(String* storePath, bool exists);

    virtual int32_t getSize();  // slot 6: the records' sizes added up

    // Rewrites the index file; the store stays usable.
    void closeRecordStore();
    String* getName() { return path; }
    int32_t getNumRecords();
    // The id the next addRecord takes; RecordStoreException when none is left.
    int32_t getNextRecordID();
    // javax_microedition_rms_InvalidRecordIDException (message: the id) for an id not in the
    // store, in each of the operations on one record but deleteRecord.
    int32_t getRecordSize(int32_t id);
    // The new id. Null data makes an empty record; a range outside `data` raises
    // java_lang_IndexOutOfBoundsException and adds nothing.
    int32_t addRecord(ByteArray* data, int32_t offset, int32_t numBytes);
    void setRecord(int32_t id, ByteArray* newData, int32_t offset, int32_t numBytes);
    // An id not in the store is no error. A delete that cannot be written raises
    // javax_microedition_rms_RecordStoreException; the record then stays, on disk and here.
    void deleteRecord(int32_t id);
    // A new array of the record's bytes; null when its file is missing.
    ByteArray* getRecord(int32_t id);
    // The record's bytes copied into `buffer` from `offset`; their number (0 for a missing file).
    // A buffer too short raises java_lang_ArrayIndexOutOfBoundsException and is left as it was.
    int32_t getRecord(int32_t id, ByteArray* buffer, int32_t offset);
    // All records in the order they were added; filter, comparator and keepUpdated are ignored.
    javax_microedition_rms_RecordEnumerationImpl* enumerateRecords(Object* filter, Object* comparator,
                                                                   bool keepUpdated);

    // The id at index i of the records list.
    int32_t idAt(int32_t i);

    String* path;               // the index file's path, also the store's name
    java_util_Vector* records;  // java_lang_Integer ids, in the order they were added
    int32_t lastId;             // the greatest id given out
    int32_t opened;             // 1 from construction on

private:
    // The store's files over the object's state; false (reported) without a path or records.
    bool files(std::optional<mrc::rms::RecordStoreFiles>& out);
    // Raises InvalidRecordIDException unless the id is listed.
    bool checkListed(int32_t id);
    int32_t indexOfId(int32_t id);
};

// javax.microedition.rms.RecordEnumeration (interface id 103).
class javax_microedition_rms_RecordEnumeration {
public:
    virtual int32_t numRecords() = 0;        // slot 0
    virtual ByteArray* nextRecord() = 0;     // slot 1
    virtual int32_t nextRecordId() = 0;      // slot 2
    virtual ByteArray* previousRecord() = 0; // slot 3
    virtual int32_t previousRecordId() = 0;  // slot 4
    virtual bool hasNextElement() = 0;       // slot 5
    virtual bool hasPreviousElement() = 0;   // slot 6
    virtual void reset() = 0;                // slot 7
    virtual void rebuild() = 0;              // slot 8
    virtual void keepUpdated(bool keep) = 0; // slot 9
    virtual bool isKeptUpdated() = 0;        // slot 10
    virtual void destroy() = 0;              // slot 11

protected:
    ~javax_microedition_rms_RecordEnumeration() = default;
};

// A cursor over the store's live records list, in index order. A cursor outside the list raises
// javax_microedition_rms_InvalidRecordIDException (message: string constant 1, then the cursor).
class javax_microedition_rms_RecordEnumerationImpl : public Object, public javax_microedition_rms_RecordEnumeration {
public:
    MRC_CLASS(javax_microedition_rms_RecordEnumerationImpl, Object);
    MRC_REF_FIELDS(&javax_microedition_rms_RecordEnumerationImpl::store);

    static javax_microedition_rms_RecordEnumerationImpl* newInstance(javax_microedition_rms_RecordStore* store);
    void RecordEnumerationImpl(javax_microedition_rms_RecordStore* owner);  // cursor 0

    void* getInterface(int32_t interfaceId) override;

    int32_t numRecords() override;
    ByteArray* nextRecord() override;
    int32_t nextRecordId() override;
    ByteArray* previousRecord() override;
    int32_t previousRecordId() override;
    bool hasNextElement() override;
    bool hasPreviousElement() override;
    void reset() override { cursor = 0; }
    void rebuild() override {}
    void keepUpdated(bool) override {}
    bool isKeptUpdated() override { return false; }
    void destroy() override {}

    int32_t cursor;
    javax_microedition_rms_RecordStore* store;

private:
    // The id at the cursor; raises for a cursor outside the list.
    bool idAtCursor(int32_t& id);
    // The id (and the record, when asked) at the cursor, then the cursor moved by delta.
    bool step(int32_t delta, int32_t& id, ByteArray** record);
    void raiseBadCursor();
};
