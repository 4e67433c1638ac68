// Kestrum's registration and message look-up, and the table that holds them.
#include "kestrum/service_table.hpp"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "kestrum/engine.hpp"
#include "kestrum/language.hpp"

namespace kestrum {

namespace {

// The registration record: the module's path, then a mark and the number of
// the module's language data.
enum { kPathBytes = 260, kMarkOffset = 260, kIndexOffset = 264 };
const char kMark[4] = {'K', 'L', 'N', 'G'};

struct Registry {
  bool languageChosen = false;
  std::string language;
  std::vector<std::unique_ptr<LanguageData>> languages;
};

// Lives to the end of the process: texts handed out stay valid.
Registry &State() {
  static Registry *registry = new Registry();
  return *registry;
}

std::string ChosenLanguage() {
  Registry &state = State();
  if (state.languageChosen) return state.language;
  const char *env = std::getenv("PARDUNE_LANG");
  return env ? env : "";
}

const LanguageData *DataOf(const SubPluginRecord *record) {
  if (!record || std::memcmp(record->Data + kMarkOffset, kMark, sizeof kMark) != 0) return nullptr;
  int index;
  std::memcpy(&index, record->Data + kIndexOffset, sizeof index);
  Registry &state = State();
  if (index < 0 || static_cast<size_t>(index) >= state.languages.size()) return nullptr;
  return state.languages[static_cast<size_t>(index)].get();
}

int WINAPI Register(const char *moduleName, SubPluginRecord *record) {
  if (!record) return 0;
  std::memset(record->Data, 0, sizeof record->Data);
  const std::string module = moduleName ? moduleName : "";
  std::strncpy(reinterpret_cast<char *>(record->Data), module.c_str(), kPathBytes - 1);

  auto data = std::make_unique<LanguageData>();
  std::string lang = ChosenLanguage();
  if (!LoadLanguageFile(LanguageFilePath(module, lang), *data) && !lang.empty())
    LoadLanguageFile(LanguageFilePath(module, ""), *data);

  Registry &state = State();
  const int index = static_cast<int>(state.languages.size());
  state.languages.push_back(std::move(data));
  std::memcpy(record->Data + kMarkOffset, kMark, sizeof kMark);
  std::memcpy(record->Data + kIndexOffset, &index, sizeof index);
  return !state.languages.back()->file.empty();
}

const char *WINAPI LookupMessage(SubPluginRecord *record, const char *key, int, int) {
  if (!key) return "";
  const LanguageData *data = DataOf(record);
  if (!data) return key;
  auto it = data->texts.find(key);
  return it == data->texts.end() ? key : it->second.c_str();
}

EngineTable MakeTable() {
  EngineTable table{};
  table.Register = Register;
  table.LookupMessage = LookupMessage;
  table.CreateEngine = EngineCreate;
  table.DestroyEngine = EngineDestroy;
  table.SetNoMoves = EngineSetNoMoves;
  table.SetExpression = EngineSetExpression;
  table.Parse = EngineParse;
  return table;
}

}  // namespace

}  // namespace kestrum

EngineTable *KestrumServiceTable() {
  static EngineTable table = kestrum::MakeTable();
  return &table;
}

void KestrumSetLanguage(const char *lang) {
  kestrum::Registry &state = kestrum::State();
  state.languageChosen = lang != nullptr;
  state.language = lang ? lang : "";
}

std::string KestrumRecordModule(const SubPluginRecord &record) {
  const char *path = reinterpret_cast<const char *>(record.Data);
  const void *end = std::memchr(path, '\0', kestrum::kPathBytes);
  return std::string(path, end ? static_cast<const char *>(end) : path + kestrum::kPathBytes);
}

std::string KestrumRecordLanguageFile(const SubPluginRecord &record) {
  const kestrum::LanguageData *data = kestrum::DataOf(&record);
  return data ? data->file : std::string();
}

std::vector<std::string> KestrumRecordLanguageProblems(const SubPluginRecord &record) {
  std::vector<std::string> problems;
  const kestrum::LanguageData *data = kestrum::DataOf(&record);
  if (!data) return problems;
  for (const kestrum::LanguageProblem &problem : data->problems)
    problems.push_back(data->file + ":" + std::to_string(problem.line) + ": " + problem.reason);
  return problems;
}
