#include "Platform/linux/gnome/GnomeKeybindings.h"

#include <gio/gio.h>

#include <string>

#include "Platform/Logger.h"
#include "Platform/linux/gnome/GtkAccelerator.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"GnomeKeybindings"};

struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct SchemaKeyUnref {
  void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
};
struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantUnref {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using SchemaKeyPtr = std::unique_ptr<GSettingsSchemaKey, SchemaKeyUnref>;
using SettingsPtr = std::unique_ptr<GSettings, ObjectUnref>;
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

bool holdsAccelerators(GSettingsSchemaKey* key) {
  return g_variant_type_equal(g_settings_schema_key_get_value_type(key),
                              G_VARIANT_TYPE_STRING_ARRAY);
}

}  // namespace

// The schema source the bindings are looked up in; empty when no schemas could be found.
struct GnomeKeybindings::Source {
  GSettingsSchemaSource* schemas = nullptr;

  Source() = default;
  ~Source() {
    if (schemas != nullptr) {
      g_settings_schema_source_unref(schemas);
    }
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  // The schema `id` when it is installed and can be opened at its own path: asking GSettings
  // for a missing schema, or a relocatable one without a path, ends the process.
  SchemaPtr lookup(const char* id) const {
    if (schemas == nullptr) {
      return nullptr;
    }
    SchemaPtr schema(g_settings_schema_source_lookup(schemas, id, TRUE));
    if (schema == nullptr || g_settings_schema_get_path(schema.get()) == nullptr) {
      return nullptr;
    }
    return schema;
  }
};

GnomeKeybindings::GnomeKeybindings() : source_(std::make_unique<Source>()) {
  GSettingsSchemaSource* installed = g_settings_schema_source_get_default();
  if (installed != nullptr) {
    source_->schemas = g_settings_schema_source_ref(installed);
  }
}

GnomeKeybindings::GnomeKeybindings(const std::filesystem::path& schemaDirectory)
    : source_(std::make_unique<Source>()) {
  GError* error = nullptr;
  source_->schemas =
      g_settings_schema_source_new_from_directory(schemaDirectory.c_str(), nullptr, TRUE, &error);
  if (source_->schemas == nullptr) {
    logger.notice("no GNOME key bindings: cannot read the schemas in %{public}s: %{public}s",
                  {schemaDirectory.string(),
                   std::string(error != nullptr ? error->message : "unknown error")});
    g_clear_error(&error);
  }
}

GnomeKeybindings::~GnomeKeybindings() = default;

bool GnomeKeybindings::hasKey(const char* schema, const char* key) const {
  const SchemaPtr found = source_->lookup(schema);
  if (found == nullptr || !g_settings_schema_has_key(found.get(), key)) {
    return false;
  }
  const SchemaKeyPtr schemaKey(g_settings_schema_get_key(found.get(), key));
  return holdsAccelerators(schemaKey.get());
}

std::vector<std::string> GnomeKeybindings::accelerators(const char* schema, const char* key) const {
  if (!hasKey(schema, key)) {
    return {};
  }
  const SchemaPtr found = source_->lookup(schema);
  const SettingsPtr settings(g_settings_new_full(found.get(), nullptr, nullptr));
  const VariantPtr value(g_settings_get_value(settings.get(), key));
  std::vector<std::string> result;
  gsize count = 0;
  const gchar** entries = g_variant_get_strv(value.get(), &count);
  result.reserve(count);
  for (gsize i = 0; i < count; ++i) {
    result.emplace_back(entries[i]);
  }
  g_free(entries);
  return result;
}

std::optional<KeyBinding> GnomeKeybindings::binding(const char* schema, const char* key) const {
  for (const std::string& accelerator : accelerators(schema, key)) {
    if (const std::optional<KeyBinding> parsed = GtkAccelerator::parse(accelerator)) {
      return parsed;
    }
  }
  return std::nullopt;
}

const char* GnomeKeybindings::workspaceKey(WorkspaceDirection direction) {
  switch (direction) {
    case WorkspaceDirection::left:
      return "switch-to-workspace-left";
    case WorkspaceDirection::right:
      return "switch-to-workspace-right";
  }
  return "";
}

std::optional<KeyBinding> GnomeKeybindings::workspaceBinding(WorkspaceDirection direction) const {
  return binding(windowManagerSchema, workspaceKey(direction));
}

std::optional<KeyBinding> GnomeKeybindings::showDesktopBinding() const {
  return binding(windowManagerSchema, "show-desktop");
}

std::optional<KeyBinding> GnomeKeybindings::closeWindowBinding() const {
  return binding(windowManagerSchema, "close");
}

std::optional<KeyBinding> GnomeKeybindings::applicationViewBinding() const {
  return binding(shellSchema, "toggle-application-view");
}

}  // namespace tactora::lx
