// The dialog: controls generated from the parameter table, presets, reset, the preview.

#include "params/dialog_enabling.h"
#include "params/param_table.h"  // before the host headers: see param_table.h

#include "host/gimp/gimp_dialog.h"

#include <libgimp/gimpui.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "generate/scene_placement.h"
#include "host/gimp/gimp_presets.h"
#include "host/gimp/gimp_preview.h"
#include "host/gimp/gimp_values.h"

namespace rimelace_gimp {
namespace {

constexpr int kResponseReset = 1;

// One table row's control.
struct Control {
    const ParamEntry* entry = nullptr;
    GtkObject* adjustment = nullptr; // spans and angles
    GtkWidget* widget = nullptr;     // the control itself (combo, check, colour button)
    std::vector<GtkWidget*> parts;   // what enabling greys out
};

struct Dialog {
    gint32 drawable = -1;
    RimelaceParams* values = nullptr;
    GtkWidget* window = nullptr;
    GimpPreview* preview = nullptr;
    std::unique_ptr<PreviewRenderer> renderer;
    std::vector<Control> controls;
    GtkWidget* effect = nullptr;
    GtkWidget* presets = nullptr;
    std::vector<std::string> presetFiles;
    bool loading = false;
};

bool Is(const ParamEntry& entry, const char* field) { return std::strcmp(entry.field, field) == 0; }

void Changed(Dialog& d) {
    if (d.loading) return;
    gimp_preview_invalidate(d.preview);
}

void ApplyEnabling(Dialog& d) {
    const int index = EffectIndex(d.values->EffectKind, d.values->PatternKind);
    for (Control& c : d.controls)
        for (GtkWidget* part : c.parts) gtk_widget_set_sensitive(part, EnabledForEffect(*c.entry, index));
}

// Every control from the record.
void Refresh(Dialog& d) {
    d.loading = true;
    RimelaceParams& v = *d.values;
    for (Control& c : d.controls) {
        const ParamEntry& e = *c.entry;
        if (c.adjustment) {
            gtk_adjustment_set_value(GTK_ADJUSTMENT(c.adjustment), GetFloat(v, e));
        } else if (e.rangeKind == RangeKind::List) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(c.widget), GetInteger(v, e) - 1);
        } else if (e.rangeKind == RangeKind::Flag) {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.widget), GetInteger(v, e) != 0);
        } else if (e.rangeKind == RangeKind::Colour) {
            const GimpRGB colour = ToGimpColour(GetInteger(v, e));
            gimp_color_button_set_color(GIMP_COLOR_BUTTON(c.widget), &colour);
        }
    }
    const int index = EffectIndex(v.EffectKind, v.PatternKind);
    gtk_combo_box_set_active(GTK_COMBO_BOX(d.effect), index >= 0 && index <= 9 ? index : -1);
    gimp_preview_set_update(d.preview, v.AutoUpdate != 0);
    ApplyEnabling(d);
    d.loading = false;
    Changed(d);
}

// ---- Signal handlers ---------------------------------------------------------------------------
struct Binding {
    Dialog* dialog;
    const ParamEntry* entry;
};

void OnAdjustment(GtkAdjustment* adjustment, Binding* b) {
    if (b->dialog->loading) return;
    SetFloat(*b->dialog->values, *b->entry, gtk_adjustment_get_value(adjustment));
    Changed(*b->dialog);
}

void OnList(GtkComboBox* combo, Binding* b) {
    if (b->dialog->loading || gtk_combo_box_get_active(combo) < 0) return;
    SetInteger(*b->dialog->values, *b->entry, gtk_combo_box_get_active(combo) + 1);
    Changed(*b->dialog);
}

void OnFlag(GtkToggleButton* button, Binding* b) {
    if (b->dialog->loading) return;
    SetInteger(*b->dialog->values, *b->entry, gtk_toggle_button_get_active(button) ? 1 : 0);
    Changed(*b->dialog);
}

void OnColour(GimpColorButton* button, Binding* b) {
    if (b->dialog->loading) return;
    GimpRGB colour;
    gimp_color_button_get_color(button, &colour);
    SetInteger(*b->dialog->values, *b->entry, FromGimpColour(colour));
    Changed(*b->dialog);
}

void OnEffect(GtkComboBox* combo, Dialog* d) {
    if (d->loading || gtk_combo_box_get_active(combo) < 0) return;
    const EffectPair pair = EffectFromIndex(gtk_combo_box_get_active(combo));
    d->values->EffectKind = pair.effectKind;
    d->values->PatternKind = pair.patternKind;
    ApplyEnabling(*d);
    Changed(*d);
}

void OnInvalidated(GimpPreview*, Dialog* d) { d->renderer->Render(*d->values); }

void OnPreviewUpdate(GObject* preview, GParamSpec*, Dialog* d) {
    if (!d->loading) d->values->AutoUpdate = gimp_preview_get_update(GIMP_PREVIEW(preview)) ? 1 : 0;
}

// A double click in the preview puts the pattern's centre there (a single click pans the preview,
// a right click opens its menu).
gboolean OnPreviewClick(GtkWidget*, GdkEventButton* event, Dialog* d) {
    if (event->type != GDK_2BUTTON_PRESS || event->button != 1) return FALSE;
    int x = 0, y = 0;
    d->renderer->DrawablePoint(int(event->x), int(event->y), &x, &y);
    float cx = 0, cy = 0;
    CentreForPoint(*d->values, gimp_drawable_width(d->drawable), gimp_drawable_height(d->drawable), x + 0.5, y + 0.5,
                   cx, cy);
    for (Control& c : d->controls)
        if (Is(*c.entry, "CenterX") || Is(*c.entry, "CenterY")) {
            const double value = Is(*c.entry, "CenterX") ? cx : cy;
            // Beyond the control's range the value is kept as it is, as presets keep it.
            SetFloat(*d->values, *c.entry, value);
            d->loading = true;
            gtk_adjustment_set_value(GTK_ADJUSTMENT(c.adjustment), value);
            d->loading = false;
        }
    Changed(*d);
    return TRUE;
}

void Message(GtkWidget* parent, const std::string& text) {
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(parent), GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                            GTK_BUTTONS_CLOSE, "%s", text.c_str());
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

GtkFileFilter* PresetFilter() {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "Rimelace parameters");
    gtk_file_filter_add_pattern(filter, "*.ipt");
    return filter;
}

void OnLoad(GtkWidget*, Dialog* d) {
    GtkWidget* chooser = gtk_file_chooser_dialog_new("Open filter params", GTK_WINDOW(d->window),
                                                     GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                     "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), PresetFilter());
    if (const std::string folder = PresetFolder(); !folder.empty())
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), folder.c_str());
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        std::string why;
        if (name && LoadPreset(name, *d->values, &why))
            Refresh(*d);
        else if (name)
            Message(chooser, why);
        g_free(name);
    }
    gtk_widget_destroy(chooser);
}

void OnSave(GtkWidget*, Dialog* d) {
    GtkWidget* chooser = gtk_file_chooser_dialog_new("Save filter params", GTK_WINDOW(d->window),
                                                     GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel", GTK_RESPONSE_CANCEL,
                                                     "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), PresetFilter());
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), "my frost.ipt");
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        std::string why;
        if (name && !SavePreset(CompletePresetName(name), *d->values, &why)) Message(chooser, why);
        g_free(name);
    }
    gtk_widget_destroy(chooser);
}

void OnShippedPreset(GtkComboBox* combo, Dialog* d) {
    const int index = gtk_combo_box_get_active(combo) - 1; // entry 0 is the prompt
    if (index < 0 || index >= int(d->presetFiles.size())) return;
    std::string why;
    if (LoadPreset(d->presetFiles[std::size_t(index)], *d->values, &why))
        Refresh(*d);
    else
        Message(d->window, why);
}

// ---- Building --------------------------------------------------------------------------------
GtkWidget* ListCombo(std::span<const char* const> labels) {
    GtkWidget* combo = gtk_combo_box_text_new();
    for (const char* label : labels) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), label);
    return combo;
}

std::span<const char* const> ListLabels(const ParamEntry& e) {
    if (Is(e, "RenderMode")) return RenderModeLabels();
    if (Is(e, "MaskKind")) return MaskKindLabels();
    return GrowDirectLabels();
}

GtkWidget* Label(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0, 0.5);
    return label;
}

// The control of one row in `table` at `row`.
void AddControl(Dialog& d, GtkTable* table, int row, const ParamEntry& e) {
    Control c;
    c.entry = &e;
    auto* binding = new Binding{&d, &e}; // lives as long as the dialog's process
    const double value = GetFloat(*d.values, e);
    const bool integer = e.ref.type != FieldType::F32;
    std::string label = e.label;
    if (Is(e, "LightAlpha")) label += " (alpha)";
    if (Is(e, "LightBeta")) label += " (beta)";
    switch (e.rangeKind) {
    case RangeKind::Span:
    case RangeKind::Angle: {
        const double lo = e.rangeKind == RangeKind::Angle ? -360 : e.rangeMin;
        const double hi = e.rangeKind == RangeKind::Angle ? 360 : e.rangeMax;
        const double span = hi - lo;
        c.adjustment = gimp_scale_entry_new(table, 0, row, label.c_str(), 140, 6, value, lo, hi, integer ? 1 : span / 100,
                                            integer ? 1 : span / 10, integer ? 0 : 2, TRUE, 0, 0,
                                            *e.tooltip ? e.tooltip : nullptr, nullptr);
        c.parts = {GTK_WIDGET(GIMP_SCALE_ENTRY_LABEL(c.adjustment)), GTK_WIDGET(GIMP_SCALE_ENTRY_SCALE(c.adjustment)),
                   GTK_WIDGET(GIMP_SCALE_ENTRY_SPINBUTTON(c.adjustment))};
        g_signal_connect(c.adjustment, "value-changed", G_CALLBACK(OnAdjustment), binding);
        break;
    }
    case RangeKind::List: {
        c.widget = ListCombo(ListLabels(e));
        GtkWidget* name = Label(e.label);
        gtk_table_attach(table, name, 0, 1, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
        gtk_table_attach(table, c.widget, 1, 3, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
        c.parts = {name, c.widget};
        g_signal_connect(c.widget, "changed", G_CALLBACK(OnList), binding);
        break;
    }
    case RangeKind::Flag:
        c.widget = gtk_check_button_new_with_label(e.label);
        gtk_table_attach(table, c.widget, 0, 3, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
        c.parts = {c.widget};
        g_signal_connect(c.widget, "toggled", G_CALLBACK(OnFlag), binding);
        break;
    case RangeKind::Colour: {
        const GimpRGB colour = ToGimpColour(GetInteger(*d.values, e));
        c.widget = gimp_color_button_new(e.label, 60, 20, &colour, GIMP_COLOR_AREA_FLAT);
        GtkWidget* name = Label(e.label);
        gtk_table_attach(table, name, 0, 1, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
        gtk_table_attach(table, c.widget, 1, 2, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
        c.parts = {name, c.widget};
        g_signal_connect(c.widget, "color-changed", G_CALLBACK(OnColour), binding);
        break;
    }
    }
    if (c.widget && *e.tooltip) gimp_help_set_help_data(c.widget, e.tooltip, nullptr);
    d.controls.push_back(c);
}

GtkWidget* Page(Dialog& d, DialogPage page) {
    int rows = 0;
    for (const ParamEntry& e : ParamTable())
        if (e.page == page) ++rows;
    GtkWidget* table = gtk_table_new(rows, 3, FALSE);
    gtk_table_set_col_spacings(GTK_TABLE(table), 6);
    gtk_table_set_row_spacings(GTK_TABLE(table), 2);
    gtk_container_set_border_width(GTK_CONTAINER(table), 6);
    int row = 0;
    for (const ParamEntry& e : ParamTable())
        if (e.page == page) AddControl(d, GTK_TABLE(table), row++, e);
    return table;
}

GtkWidget* MainControls(Dialog& d) {
    GtkWidget* table = gtk_table_new(4, 3, FALSE);
    gtk_table_set_col_spacings(GTK_TABLE(table), 6);
    gtk_table_set_row_spacings(GTK_TABLE(table), 4);
    int row = 0;
    for (const ParamEntry& e : ParamTable())
        if (Is(e, "RenderMode") || Is(e, "AlphaCut")) AddControl(d, GTK_TABLE(table), Is(e, "AlphaCut") ? 2 : row++, e);
    const ParamEntry* effectRow = FindParamByField("EffectKind");
    d.effect = ListCombo(EffectLabels());
    GtkWidget* name = Label(effectRow->label);
    gimp_help_set_help_data(d.effect, effectRow->tooltip, nullptr);
    gtk_table_attach(GTK_TABLE(table), name, 0, 1, 1, 2, GTK_FILL, GTK_FILL, 0, 0);
    gtk_table_attach(GTK_TABLE(table), d.effect, 1, 3, 1, 2, GTK_FILL, GTK_FILL, 0, 0);
    g_signal_connect(d.effect, "changed", G_CALLBACK(OnEffect), &d);

    // Presets: the shipped ones, Load, Save.
    GtkWidget* box = gtk_hbox_new(FALSE, 6);
    d.presets = gtk_combo_box_text_new();
    d.presetFiles = ListPresets(PresetFolder());
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(d.presets),
                                   d.presetFiles.empty() ? "(no presets installed)" : "Presets...");
    for (const std::string& file : d.presetFiles) {
        std::string shown = file.substr(file.find_last_of('/') + 1);
        shown.erase(shown.size() - 4);
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(d.presets), shown.c_str());
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(d.presets), 0);
    gtk_widget_set_sensitive(d.presets, !d.presetFiles.empty());
    gimp_help_set_help_data(d.presets, "The presets that come with Rimelace", nullptr);
    g_signal_connect(d.presets, "changed", G_CALLBACK(OnShippedPreset), &d);
    GtkWidget* load = gtk_button_new_with_mnemonic("_Load...");
    gimp_help_set_help_data(load, "Load parameters from a preset file (.ipt)", nullptr);
    g_signal_connect(load, "clicked", G_CALLBACK(OnLoad), &d);
    GtkWidget* save = gtk_button_new_with_mnemonic("_Save...");
    gimp_help_set_help_data(save, "Save current parameters", nullptr);
    g_signal_connect(save, "clicked", G_CALLBACK(OnSave), &d);
    gtk_box_pack_start(GTK_BOX(box), d.presets, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), load, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), save, FALSE, FALSE, 0);
    gtk_table_attach(GTK_TABLE(table), box, 0, 3, 3, 4, GTK_FILL, GTK_FILL, 0, 0);
    return table;
}

void OnResponse(GtkDialog*, gint response, Dialog* d) {
    if (response == kResponseReset) {
        ResetParams(*d->values);
        Refresh(*d);
    }
}

} // namespace

bool RunDialog(gint32 drawable, RimelaceParams& values) {
    gimp_ui_init("rimelace-gimp", TRUE);
    Dialog d;
    d.drawable = drawable;
    d.values = &values;
    d.window = gimp_dialog_new("Rimelace", "rimelace", nullptr, GtkDialogFlags(0), gimp_standard_help_func, kProcedure,
                               "_Reset", kResponseReset, "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK,
                               nullptr);
    gtk_dialog_set_alternative_button_order(GTK_DIALOG(d.window), GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL, kResponseReset,
                                             -1);
    gimp_window_set_transient(GTK_WINDOW(d.window));

    GtkWidget* hbox = gtk_hbox_new(FALSE, 12);
    gtk_container_set_border_width(GTK_CONTAINER(hbox), 12);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(d.window))), hbox, TRUE, TRUE, 0);

    GtkWidget* preview = gimp_zoom_preview_new_from_drawable_id(drawable);
    d.preview = GIMP_PREVIEW(preview);
    gtk_widget_set_size_request(preview, 360, 300);
    gtk_box_pack_start(GTK_BOX(hbox), preview, TRUE, TRUE, 0);
    d.renderer = std::make_unique<PreviewRenderer>(drawable, d.preview);
    GtkWidget* area = gimp_preview_get_area(d.preview);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnPreviewClick), &d);
    gimp_help_set_help_data(area, "Double-click to put the pattern's centre there", nullptr);

    GtkWidget* side = gtk_vbox_new(FALSE, 8);
    gtk_box_pack_start(GTK_BOX(hbox), side, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(side), MainControls(d), FALSE, FALSE, 0);
    GtkWidget* notebook = gtk_notebook_new();
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), Page(d, DialogPage::Geometry), gtk_label_new("Geometry"));
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), Page(d, DialogPage::Material), gtk_label_new("Material"));
    gtk_box_pack_start(GTK_BOX(side), notebook, TRUE, TRUE, 0);

    g_signal_connect(d.window, "response", G_CALLBACK(OnResponse), &d);
    g_signal_connect(preview, "invalidated", G_CALLBACK(OnInvalidated), &d);
    g_signal_connect(preview, "notify::update", G_CALLBACK(OnPreviewUpdate), &d);
    Refresh(d);
    gtk_widget_show_all(d.window);
    if (const char* page = std::getenv("RIMELACE_GIMP_PAGE")) // screenshots of the second page
        gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), std::atoi(page));

    gint response;
    do {
        response = gimp_dialog_run(GIMP_DIALOG(d.window));
    } while (response == kResponseReset);
    d.renderer->Close();
    gtk_widget_destroy(d.window);
    return response == GTK_RESPONSE_OK;
}

} // namespace rimelace_gimp
