-- ardour7-lua ardour-session.lua DIR URI GAINL: a new session in DIR with Kelvo (URI) on a stereo
-- track, GainL set, two seconds recorded from the dummy backend's sine generators, saved, closed.
-- Progress goes to stderr: print is buffered and lost if Ardour dies.
local dir, uri, gainL = arg[1], arg[2], tonumber(arg[3])
local function say(text) io.stderr:write("session: " .. text .. "\n") end

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(backend, "no dummy backend")
backend:set_device_name("Sine Wave")
assert(create_session(dir, "kelvo", 48000), "the session cannot be created")
local tracks = Session:new_audio_track(2, 2, nil, 1, "FX", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
local proc = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
assert(not proc:isnil(), "Ardour cannot load " .. uri)
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "the plug-in cannot be added")
-- Control inputs counted from 0: OUT, GainM, GainL, Bypass.
ARDOUR.LuaAPI.set_processor_param(proc, 2, gainL)
say("GainL set to " .. tostring(ARDOUR.LuaAPI.get_processor_param(proc, 2, true)))

track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(2000000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(500000)
-- Disarmed, so that the export plays the take from disk instead of the live input.
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
Session:save_state("", false, false, false, false, false)
say("saved")
