// The run loop: the subroutine's calls in a solver's order, the integrator between them.
#include "simulation.h"

#include <exception>
#include <string>

#include "dynamics.h"
#include "ostrel/calc_external_force.h"
#include "platform/shared_library.h"
#include "platform/text.h"
#include "provider/external_force_provider.h"
#include "solver_host.h"

namespace zkslv {

namespace {

using ostrel::CallMode;

const char* mode_name(CallMode mode) {
  switch (mode) {
    case CallMode::kInitialise:
      return "initialisation";
    case CallMode::kEvaluate:
      return "evaluation";
    case CallMode::kReset:
      return "reset";
    case CallMode::kCheckPositions:
      break;
  }
  return "position check";
}

std::string in_quotes(const std::string& text) { return "\"" + text + "\""; }

// A force element as the run drives it. Its address is the handle of its calls.
struct Element {
  const ForceElementDefinition* definition;
  std::vector<double> params;
  std::vector<double> result;  // six per body, kept between interfacings
  std::vector<int> body_indices;
};

// Why an initialisation call failed, when the provider library is the cause: it does not
// load, lacks the factory export, or its factory gives no provider. Empty otherwise.
std::string provider_library_problem(const std::string& library) {
  std::string message;
  platform::SharedLibrary probe = platform::SharedLibrary::open(library, &message);
  if (!probe) return "the provider library " + in_quotes(library) + " cannot be loaded: " + message;
  if (probe.find(kGetExternalForceProviderName, &message) == nullptr) {
    return "the provider library " + in_quotes(library) + " has no export " +
           kGetExternalForceProviderName;
  }
  return {};
}

class Run {
 public:
  Run(const Model& model, Console& console, ResultTable& table)
      : model_(model), console_(console), table_(table), system_(model), time_(model.start_time) {}

  RunSummary go() {
    const std::u16string path = platform::narrow_to_utf16(platform::path_text(model_.path));
    if (path.size() >= static_cast<size_t>(kModelPathCapacity)) {
      return failed("the model path " + platform::path_text(model_.path) + " is " +
                    std::to_string(path.size()) + " UTF-16 units long; the host interface " +
                    "carries at most " + std::to_string(kModelPathCapacity - 1));
    }
    SolverHost host(model_, system_, console_, path);
    host_ = &host;

    // Declared after the host: unloaded (and its providers released) while the host is
    // still installed.
    std::string message;
    platform::SharedLibrary subroutine = platform::SharedLibrary::open(model_.subroutine, &message);
    if (!subroutine) return failed("cannot load the subroutine library: " + message);
    calc_ = subroutine.symbol<CalcExternalForceFunction>("calc_external_force", &message);
    if (calc_ == nullptr) return failed(message);

    RunSummary summary = drive();
    host_ = nullptr;
    return summary;
  }

 private:
  RunSummary failed(std::string error) {
    RunSummary s;
    s.ending = Ending::kFailed;
    s.final_time = time_;
    s.error = std::move(error);
    return s;
  }

  // One call of the subroutine; a failure becomes the run's error.
  bool call(Element& e, CallMode mode, double time, std::string* error) {
    host_->set_time(time);
    host_->begin_call();
    try {
      calc_(&e, time, e.definition->library.c_str(), e.definition->config.c_str(), e.params.data(),
            nullptr, nullptr, static_cast<int>(mode), e.result.data());
      return true;
    } catch (const std::exception& ex) {
      *error = describe(e, mode, time, ex.what());
    } catch (...) {
      *error = describe(e, mode, time, "an exception that is no std::exception");
    }
    return false;
  }

  std::string describe(const Element& e, CallMode mode, double time, const std::string& what) {
    const std::string element = model_.where(e.definition->source) + ": force element " +
                                in_quotes(e.definition->name) + ": ";
    if (mode == CallMode::kInitialise) {
      const std::string problem = provider_library_problem(e.definition->library);
      if (!problem.empty()) return element + problem;
      return element + "the provider " + in_quotes(e.definition->library) +
             " could not be initialised from " +
             platform::path_text(model_.resolved_config(*e.definition)) + ": " + what;
    }
    return element + "its " + mode_name(mode) + " call failed at t = " + format_time(time) +
           " s: " + what;
  }

  // The loads of all elements per body, converted from SI (N, N·m) to the model's units.
  std::vector<Load> element_loads() const {
    const Units& u = *model_.units;
    std::vector<Load> loads(static_cast<size_t>(system_.body_count()));
    for (const Element& e : elements_) {
      for (size_t i = 0; i < e.body_indices.size(); ++i) {
        Load& load = loads[static_cast<size_t>(e.body_indices[i])];
        load.force += u.force_from_si * Eigen::Vector3d(&e.result[6 * i]);
        load.torque += u.torque_from_si * Eigen::Vector3d(&e.result[6 * i + 3]);
      }
    }
    return loads;
  }

  // Why the bodies' motion counts as run away at `time`, or empty.
  std::string runaway(double time) const {
    if (!system_.finite()) {
      return "the motion is no longer finite at t = " + format_time(time) +
             " s: a force grew without bound or the step is too large for the model";
    }
    const std::string length = model_.units->length;
    for (int i = 0; i < system_.body_count(); ++i) {
      const BodyState& s = system_.state(i);
      const BodyDefinition& b = model_.bodies[static_cast<size_t>(i)];
      std::string what;
      if (const double d = (s.position - b.position).norm(); d > model_.runaway_distance) {
        what = "its centre is " + format_time(d) + " " + length +
               " from where it started, beyond " + format_time(model_.runaway_distance) + " " +
               length + " (runaway_distance)";
      } else if (const double v = s.velocity.norm(); v > model_.runaway_speed) {
        what = "it moves at " + format_time(v) + " " + length + "/s, faster than " +
               format_time(model_.runaway_speed) + " " + length + "/s (runaway_speed)";
      } else if (const double w = s.angular_velocity.norm(); w > model_.runaway_angular_speed) {
        what = "it turns at " + format_time(w) + " rad/s, faster than " +
               format_time(model_.runaway_angular_speed) + " rad/s (runaway_angular_speed)";
      }
      if (!what.empty()) {
        return "the body \"" + b.name + "\" ran away at t = " + format_time(time) + " s: " + what +
               ". A force grew without bound or the step is too large for the model; " +
               "raise the limit under [simulation] if the motion is meant";
      }
    }
    return {};
  }

  RunSummary drive() {
    for (size_t k = 0; k < model_.elements.size(); ++k) {
      const ForceElementDefinition& definition = model_.elements[k];
      Element e{&definition,
                element_parameters(definition, static_cast<int>(k) + 1),
                std::vector<double>(6 * definition.bodies.size(), 0.0),
                {}};
      for (int id : definition.bodies) e.body_indices.push_back(model_.body_index(id));
      elements_.push_back(std::move(e));
    }

    const double t0 = model_.start_time;
    const double h = model_.step;
    time_ = t0;
    std::string error;
    for (Element& e : elements_) {
      if (!call(e, CallMode::kInitialise, t0, &error)) return failed(error);
    }
    for (Element& e : elements_) {
      if (!call(e, CallMode::kReset, t0, &error)) return failed(error);
    }

    const long long steps = model_.step_count();
    std::vector<Load> loads = element_loads();
    RunSummary summary;
    summary.ending = Ending::kEndTime;
    for (long long n = 0; n < steps; ++n) {
      const double t = t0 + static_cast<double>(n) * h;
      time_ = t;
      for (Element& e : elements_) {
        if (!call(e, CallMode::kEvaluate, t, &error)) return failed(error);
      }
      loads = element_loads();
      if (n % model_.output_every == 0) table_.add_row(t, system_, loads);
      console_.progress(t, t0, model_.end_time);

      system_.step(h, loads);
      const double next = t0 + static_cast<double>(n + 1) * h;
      time_ = next;
      if (const std::string problem = runaway(next); !problem.empty()) return failed(problem);
      for (Element& e : elements_) {
        if (!call(e, CallMode::kCheckPositions, next, &error)) return failed(error);
      }
      if (host_->termination_requested()) {
        summary.ending = Ending::kStopped;
        break;
      }
    }
    table_.add_row(time_, system_, loads);
    console_.end_progress();

    summary.final_time = time_;
    if (host_->termination_requested()) {
      summary.stop_time = host_->termination_time();
      summary.stop_text = host_->termination_text();
      summary.failure_reported = host_->failure_reported();
    }
    return summary;
  }

  const Model& model_;
  Console& console_;
  ResultTable& table_;
  MultibodySystem system_;
  SolverHost* host_ = nullptr;
  CalcExternalForceFunction calc_ = nullptr;
  std::vector<Element> elements_;
  double time_;
};

}  // namespace

std::vector<double> element_parameters(const ForceElementDefinition& element, int number) {
  std::vector<double> p(ostrel::kFirstBodyId + element.bodies.size(), 0.0);
  p[0] = number;  // the element's number, which the subroutine does not read
  p[1] = 0.0;
  p[ostrel::kInstanceKey] = element.instance;
  p[ostrel::kIntervalVariableId] = element.interval_variable;
  p[ostrel::kAutoStopEnabled] = element.auto_stop == AutoStop::kOff ? 0 : ostrel::kAutoStopOn;
  p[ostrel::kAutoStopCriterion] = element.auto_stop == AutoStop::kPosition
                                      ? ostrel::kPositionCriterion
                                      : ostrel::kForceCriterion;
  p[ostrel::kAutoStopTolerance] = element.tolerance;
  p[ostrel::kBodyCount] = static_cast<double>(element.bodies.size());
  for (size_t i = 0; i < element.bodies.size(); ++i)
    p[ostrel::kFirstBodyId + i] = element.bodies[i];
  return p;
}

RunSummary simulate(const Model& model, Console& console, ResultTable& table) {
  Run run(model, console, table);
  return run.go();
}

}  // namespace zkslv
