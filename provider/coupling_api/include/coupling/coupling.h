// The field-solver coupling interface (library TarvoQuelmCoupling) as Velmira uses it:
// the group and force records, the coupling's exception type and the factory interface.
//
// Strings and vectors cross the library boundary by address, so both sides use one
// standard library and one heap.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

// One moving group: its name and the body pose that Velmira hands to the analysis.
struct GroupRecord {
  std::string name;
  double position[3];
  double orientation[9];
};

// The load on one group: force x, y, z, then torque x, y, z.
struct ForceRecord {
  double values[6];
};

// Thrown by OpenProject when the field solver cannot be launched or the project not be
// read. Default visibility, so that a throw in the coupling is caught in Velmira.
class __attribute__((visibility("default"))) LaunchDesktopExeption : public std::exception {
 public:
  explicit LaunchDesktopExeption(std::string message = {}) : message_(std::move(message)) {}
  const char* what() const noexcept override {
    return message_.empty() ? "Unknown exception" : message_.c_str();
  }

 private:
  std::string message_;
};

// Eleven operations in a fixed order; Velmira calls positions 2, 3, 7 and 11 only.
class ICouplingFactory {
 public:
  virtual void Reserved1() = 0;
  // Fills *designs with the project's design names, in file order. False on failure.
  virtual bool FindDesigns(const std::string* project_path, std::vector<std::string>* designs) = 0;
  // Opens the project and selects the design. False on failure; may throw
  // LaunchDesktopExeption.
  virtual bool OpenProject(const std::string* project_path, const std::string* design_name) = 0;
  virtual void Reserved4() = 0;
  virtual void Reserved5() = 0;
  virtual void Reserved6() = 0;
  // Appends one ForceRecord per group, in group order, to the empty *results.
  virtual bool Analyze(double time, std::vector<GroupRecord>* groups,
                       std::vector<ForceRecord>* results, int* status) = 0;
  virtual void Reserved8() = 0;
  virtual void Reserved9() = 0;
  virtual void Reserved10() = 0;
  // Frees the interface; called once, before the library is unloaded.
  virtual void Release() = 0;

 protected:
  ICouplingFactory() = default;
  ICouplingFactory(const ICouplingFactory&) = default;
  ICouplingFactory& operator=(const ICouplingFactory&) = default;
  ~ICouplingFactory() = default;
};

using GetTarvoQuelmFactoryInterfaceFunction = ICouplingFactory* (*)();
inline constexpr const char* kCouplingLibraryName = "TarvoQuelmCoupling.dll";
inline constexpr const char* kCouplingEntryName = "GetTarvoQuelmFactoryInterface";
