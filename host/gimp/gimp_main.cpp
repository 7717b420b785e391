// rimelace-gimp: the Rimelace filter as a GIMP 2.10 plug-in, "Filters > Decor > Rimelace...".
// The procedure plug-in-rimelace takes every parameter of the table (Script-Fu, Python-Fu,
// `gimp -i -b`); run interactively it opens the dialog with a live preview.

#include "params/param_table.h"  // before the host headers: see param_table.h

#include <libgimp/gimp.h>

#include <string>

#include "host/gimp/gimp_apply.h"
#include "host/gimp/gimp_dialog.h"
#include "host/gimp/gimp_values.h"

namespace {

void Query() {
    const auto& args = rimelace_gimp::ProcedureArguments();
    gimp_install_procedure(rimelace_gimp::kProcedure, "Grow frost patterns over the image",
                           "Grows branching, frost-like crystal patterns of thin 3D triangles along the image borders, "
                           "the outline of the selection or from one point, and renders them over the image with a "
                           "material, two lights, a bump texture and optional glass. RGB images only (8-bit, 16-bit "
                           "or float; grey and indexed images are refused). The selection limits the result and can "
                           "serve as the path (mask-kind 7). The arguments after the drawable follow the preset file, "
                           "in its order.",
                           "Rimelace", "Rimelace", "2026", "Rimelace...", "RGB*", GIMP_PLUGIN, gint(args.size()), 0,
                           const_cast<GimpParamDef*>(args.data()), nullptr);
    gimp_plugin_menu_register(rimelace_gimp::kProcedure, "<Image>/Filters/Decor");
}

void Run(const gchar*, gint count, const GimpParam* param, gint* returnCount, GimpParam** returns) {
    static GimpParam values[2];
    static std::string message;
    *returnCount = 1;
    *returns = values;
    values[0].type = GIMP_PDB_STATUS;
    auto finish = [&](GimpPDBStatusType status, const std::string& why) {
        values[0].data.d_status = status;
        if (status != GIMP_PDB_SUCCESS && status != GIMP_PDB_CANCEL && !why.empty()) {
            message = why;
            *returnCount = 2;
            values[1].type = GIMP_PDB_STRING;
            values[1].data.d_string = const_cast<gchar*>(message.c_str());
        }
    };
    if (count < 3) return finish(GIMP_PDB_CALLING_ERROR, "plug-in-rimelace needs run-mode, image and drawable");
    gegl_init(nullptr, nullptr);
    const auto mode = GimpRunMode(param[0].data.d_int32);
    const gint32 drawable = param[2].data.d_drawable;

    RimelaceParams params{};
    ResetParams(params);
    std::string why;
    switch (mode) {
    case GIMP_RUN_INTERACTIVE:
        rimelace_gimp::LoadLastValues(params);
        if (std::string refusal = rimelace_gimp::Refusal(drawable); !refusal.empty()) {
            g_message("%s", refusal.c_str());
            return finish(GIMP_PDB_EXECUTION_ERROR, refusal);
        }
        if (!rimelace_gimp::RunDialog(drawable, params)) return finish(GIMP_PDB_CANCEL, "");
        break;
    case GIMP_RUN_NONINTERACTIVE:
        if (!rimelace_gimp::ValuesFromArguments(param, count, params, &why)) return finish(GIMP_PDB_CALLING_ERROR, why);
        break;
    case GIMP_RUN_WITH_LAST_VALS:
        rimelace_gimp::LoadLastValues(params);
        break;
    }

    const GimpPDBStatusType status = rimelace_gimp::ApplyToDrawable(drawable, params, &why);
    if (status == GIMP_PDB_SUCCESS) {
        rimelace_gimp::StoreLastValues(params);
        if (mode != GIMP_RUN_NONINTERACTIVE) gimp_displays_flush();
    } else if (mode == GIMP_RUN_INTERACTIVE && status == GIMP_PDB_EXECUTION_ERROR) {
        g_message("Rimelace: %s", why.c_str());
    }
    finish(status, why);
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, Query, Run};

int main(int argc, char** argv) { return gimp_main(&PLUG_IN_INFO, argc, argv); }
