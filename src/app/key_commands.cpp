#include "app/key_commands.h"

#include "app/construct.h"
#include "app/shell.h"
#include "render/background.h"
#include "world/population.h"

namespace kanimo {

void keyDown(Shell& shell, Tconstruct& form, KeyId key) {
    if (key == KeyId::Home) {
        // The text is the key's code on the desktop system the commands were made for.
        showMessageBox("Information", "36");
    }
    if (key == KeyId::Escape) {
        shell.quitRequested = true;
        form.close();
    }
    if (key == KeyId::B) {
        // Shows the background about to be left at once, 6 pixels off the frames' place;
        // the next frame covers it.
        shell.offscreen.setSize(form.world().width(), form.world().height());
        paintBackground(shell.offscreen, shell.plainBackground, shell.world.settings.worldSize);
        form.world().copyPicture(shell.offscreen, 8, 8);
    }
    if (key == KeyId::W) shell.paused = !shell.paused;
    if (key == KeyId::G) {
        shell.fastMode = !shell.fastMode;
        shell.plainBackground = shell.fastMode;
    }
    if (key == KeyId::D && shell.running) removeCreature(shell.world, shell.world.creatures.head());
    if (key == KeyId::B) shell.plainBackground = !shell.plainBackground;
}

} // namespace kanimo
