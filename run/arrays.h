// The engine's array family: one zero-filled block per array, created once.
//
// Arrays are sized from capacities at start and never resized. `allocate` does
// nothing when the array exists, so every allocator may be called again safely.
// With RIVAX_BOUNDS_CHECK every index is checked (the test build turns it on).
#pragma once

#include <utility>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

// Multiplies element counts in size_t; false on overflow, which callers treat
// as an allocation failure.
inline bool CheckedMul(size_t a, size_t b, size_t* out) { return !__builtin_mul_overflow(a, b, out); }

[[noreturn]] void ArrayIndexFault(const char* what, std::ptrdiff_t index, size_t extent);

// Every global array registers itself so that ResetGlobals can empty them all.
class ArrayBase {
public:
    struct GlobalTag {};
    static constexpr GlobalTag kGlobal{};
    ArrayBase() = default;
    explicit ArrayBase(GlobalTag);
    ArrayBase(const ArrayBase&) = delete;
    ArrayBase& operator=(const ArrayBase&) = delete;
    virtual void release() = 0;
    static void ReleaseAllGlobals();

protected:
    ~ArrayBase() = default;
};

namespace rivax_detail {

// calloc so that large arrays the run never touches cost no memory pages.
void* ZeroAlloc(size_t count, size_t elem_size);
void ZeroFree(void* p);

inline void CheckIndex(const char* what, std::ptrdiff_t i, size_t n) {
#if RIVAX_BOUNDS_CHECK
    if (i < 0 || static_cast<size_t>(i) >= n) ArrayIndexFault(what, i, n);
#else
    (void)what; (void)i; (void)n;
#endif
}

template <class T>
class CheckedRow {
public:
    CheckedRow(T* p, size_t n) : p_(p), n_(n) {}
    T& operator[](std::ptrdiff_t i) const { CheckIndex("row", i, n_); return p_[i]; }
    T* data() const { return p_; }
    operator T*() const { return p_; }

private:
    T* p_;
    size_t n_;
};

#if RIVAX_BOUNDS_CHECK
template <class T> using Row = CheckedRow<T>;
template <class T> inline Row<T> MakeRow(T* p, size_t n) { return Row<T>(p, n); }
#else
template <class T> using Row = T*;
template <class T> inline Row<T> MakeRow(T* p, size_t) { return p; }
#endif

template <class T>
class Plane {
public:
    Plane(T* p, size_t n2, size_t n3) : p_(p), n2_(n2), n3_(n3) {}
    Row<T> operator[](std::ptrdiff_t j) const {
        CheckIndex("plane", j, n2_);
        return MakeRow(p_ + static_cast<size_t>(j) * n3_, n3_);
    }

private:
    T* p_;
    size_t n2_, n3_;
};

template <class T>
class Cube {
public:
    Cube(T* p, size_t n2, size_t n3, size_t n4) : p_(p), n2_(n2), n3_(n3), n4_(n4) {}
    Plane<T> operator[](std::ptrdiff_t j) const {
        CheckIndex("cube", j, n2_);
        return Plane<T>(p_ + static_cast<size_t>(j) * n3_ * n4_, n3_, n4_);
    }

private:
    T* p_;
    size_t n2_, n3_, n4_;
};

}  // namespace rivax_detail

template <class T>
class ArrayStorage : public ArrayBase {
    static_assert(std::is_trivially_copyable_v<T>, "engine arrays hold plain data");

public:
    ArrayStorage() = default;
    explicit ArrayStorage(GlobalTag t) : ArrayBase(t) {}
    ~ArrayStorage() { rivax_detail::ZeroFree(data_); }

    bool exists() const { return data_ != nullptr; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    size_t count() const { return count_; }
    size_t bytes() const { return count_ * sizeof(T); }
    void release() override {
        rivax_detail::ZeroFree(data_);
        data_ = nullptr;
        count_ = 0;
    }
    void fill(const T& v) {
        for (size_t i = 0; i < count_; ++i) data_[i] = v;
    }

protected:
    bool allocateBlock(size_t count) {
        if (data_) return true;
        if (count == 0) count = 1;  // an empty array must still exist once allocated
        size_t bytes;
        if (!CheckedMul(count, sizeof(T), &bytes)) return false;
        data_ = static_cast<T*>(rivax_detail::ZeroAlloc(count, sizeof(T)));
        if (!data_) return false;
        count_ = count;
        return true;
    }
    T* data_ = nullptr;
    size_t count_ = 0;
};

template <class T>
class Array1 : public ArrayStorage<T> {
public:
    using ArrayStorage<T>::ArrayStorage;
    bool allocate(size_t n) {
        if (this->data_) return true;
        if (!this->allocateBlock(n)) return false;
        n1_ = n;
        return true;
    }
    T& operator[](std::ptrdiff_t i) {
        rivax_detail::CheckIndex("Array1", i, this->data_ ? n1_ : 0);
        return this->data_[i];
    }
    const T& operator[](std::ptrdiff_t i) const {
        rivax_detail::CheckIndex("Array1", i, this->data_ ? n1_ : 0);
        return this->data_[i];
    }
    size_t size() const { return this->data_ ? n1_ : 0; }
    void release() override { ArrayStorage<T>::release(); n1_ = 0; }
    // Exchanges the storage of two arrays, so that each name reads what the
    // other held.
    void exchange(Array1& o) {
        std::swap(this->data_, o.data_);
        std::swap(this->count_, o.count_);
        std::swap(n1_, o.n1_);
    }

private:
    size_t n1_ = 0;
};

template <class T>
class Array2 : public ArrayStorage<T> {
public:
    using ArrayStorage<T>::ArrayStorage;
    bool allocate(size_t n1, size_t n2) {
        if (this->data_) return true;
        size_t n;
        if (!CheckedMul(n1, n2, &n) || !this->allocateBlock(n)) return false;
        n1_ = n1;
        n2_ = n2;
        return true;
    }
    rivax_detail::Row<T> operator[](std::ptrdiff_t i) {
        rivax_detail::CheckIndex("Array2", i, n1_);
        return rivax_detail::MakeRow(this->data_ + static_cast<size_t>(i) * n2_, n2_);
    }
    rivax_detail::Row<const T> operator[](std::ptrdiff_t i) const {
        rivax_detail::CheckIndex("Array2", i, n1_);
        return rivax_detail::MakeRow(static_cast<const T*>(this->data_) + static_cast<size_t>(i) * n2_, n2_);
    }
    size_t extent1() const { return n1_; }
    size_t extent2() const { return n2_; }
    void release() override { ArrayStorage<T>::release(); n1_ = n2_ = 0; }

private:
    size_t n1_ = 0, n2_ = 0;
};

template <class T>
class Array3 : public ArrayStorage<T> {
public:
    using ArrayStorage<T>::ArrayStorage;
    bool allocate(size_t n1, size_t n2, size_t n3) {
        if (this->data_) return true;
        size_t n12, n;
        if (!CheckedMul(n1, n2, &n12) || !CheckedMul(n12, n3, &n) || !this->allocateBlock(n)) return false;
        n1_ = n1;
        n2_ = n2;
        n3_ = n3;
        return true;
    }
    rivax_detail::Plane<T> operator[](std::ptrdiff_t i) {
        rivax_detail::CheckIndex("Array3", i, n1_);
        return rivax_detail::Plane<T>(this->data_ + static_cast<size_t>(i) * n2_ * n3_, n2_, n3_);
    }
    rivax_detail::Plane<const T> operator[](std::ptrdiff_t i) const {
        rivax_detail::CheckIndex("Array3", i, n1_);
        return rivax_detail::Plane<const T>(this->data_ + static_cast<size_t>(i) * n2_ * n3_, n2_, n3_);
    }
    size_t extent1() const { return n1_; }
    size_t extent2() const { return n2_; }
    size_t extent3() const { return n3_; }
    void release() override { ArrayStorage<T>::release(); n1_ = n2_ = n3_ = 0; }

private:
    size_t n1_ = 0, n2_ = 0, n3_ = 0;
};

template <class T>
class Array4 : public ArrayStorage<T> {
public:
    using ArrayStorage<T>::ArrayStorage;
    bool allocate(size_t n1, size_t n2, size_t n3, size_t n4) {
        if (this->data_) return true;
        size_t n12, n123, n;
        if (!CheckedMul(n1, n2, &n12) || !CheckedMul(n12, n3, &n123) || !CheckedMul(n123, n4, &n) ||
            !this->allocateBlock(n)) {
            return false;
        }
        n1_ = n1;
        n2_ = n2;
        n3_ = n3;
        n4_ = n4;
        return true;
    }
    rivax_detail::Cube<T> operator[](std::ptrdiff_t i) {
        rivax_detail::CheckIndex("Array4", i, n1_);
        return rivax_detail::Cube<T>(this->data_ + static_cast<size_t>(i) * n2_ * n3_ * n4_, n2_, n3_, n4_);
    }
    size_t extent1() const { return n1_; }
    size_t extent2() const { return n2_; }
    size_t extent3() const { return n3_; }
    size_t extent4() const { return n4_; }
    void release() override { ArrayStorage<T>::release(); n1_ = n2_ = n3_ = n4_ = 0; }

private:
    size_t n1_ = 0, n2_ = 0, n3_ = 0, n4_ = 0;
};

// Designates the field an equation works on (`Cf`): a global array,
// or one row of a two-dimensional one, chosen by the driver. It starts, and
// after ResetGlobals returns, at its own home array.
template <class T>
class FieldRef : public ArrayBase {
public:
    FieldRef(GlobalTag t, Array1<T>& home) : ArrayBase(t), home_(&home), array_(&home) {}
    FieldRef(const FieldRef&) = delete;
    FieldRef& operator=(const FieldRef&) = delete;

    void designate(Array1<T>& a) {
        array_ = &a;
        row_ = nullptr;
        n_ = 0;
    }
    void designate(T* row, size_t n) {
        array_ = nullptr;
        row_ = row;
        n_ = n;
    }
    T& operator[](std::ptrdiff_t i) {
        if (array_) return (*array_)[i];
        rivax_detail::CheckIndex("field", i, n_);
        return row_[i];
    }
    T* data() { return array_ ? array_->data() : row_; }
    size_t size() const { return array_ ? array_->size() : n_; }
    bool exists() const { return array_ ? array_->exists() : row_ != nullptr; }
    bool designates(const Array1<T>& a) const { return array_ == &a; }
    void release() override { designate(*home_); }

    // The current designation, for an operation that borrows the name and
    // must give it back as it found it.
    struct Saved {
        Array1<T>* array;
        T* row;
        size_t n;
    };
    Saved save() const { return {array_, row_, n_}; }
    void restore(const Saved& s) {
        array_ = s.array;
        row_ = s.row;
        n_ = s.n;
    }

private:
    Array1<T>* home_;
    Array1<T>* array_;
    T* row_ = nullptr;
    size_t n_ = 0;
};
